#pragma once
// A scan's problems as data; they are made by the checks, below this layer.
#include "checks/found_problem.h"
