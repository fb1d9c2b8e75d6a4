// Unit texts (notes, product and module names) are 8-bit and come from the
// network: written raw, a control character or an 8-bit byte could drive the
// operator's terminal. Printable ASCII stays as it is; every other byte is
// written as \xHH.
#pragma once

#include <string>
#include <string_view>

std::string TerminalText(std::string_view text);
