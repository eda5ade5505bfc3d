#include <io.h>

#include "cli/console_facts.h"

namespace hw {

// A Wine or Windows console, not a pipe or a file.
bool IsTerminal(std::FILE* stream) { return _isatty(_fileno(stream)) != 0; }

}  // namespace hw
