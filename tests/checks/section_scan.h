#pragma once
#include "support/section_scan.h"  // the shared copy
