#pragma once
#include "support/shortcut_search_events.h"  // the shared copy
