#include <unistd.h>

#include "cli/console_facts.h"

namespace hw {

bool IsTerminal(std::FILE* stream) { return isatty(fileno(stream)) == 1; }

}  // namespace hw
