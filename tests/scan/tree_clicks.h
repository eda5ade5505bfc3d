#pragma once
#include "support/tree_clicks.h"  // the shared copy
