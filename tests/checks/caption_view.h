#pragma once
#include "support/caption_view.h"  // the shared copy
