#pragma once
#include "support/scan_repair_machine.h"  // the shared copy
