// The working folder the tests that run the real tm80 binary start it in.
#pragma once

#include "tests/infra/TempFolder.h"

#include <string>
#include <vector>

// The folder "work" of `dir` with the start-up logo and a system
// configuration that launches directly to `addresses`; returns the
// configuration's text.
std::string MakeWorkFolder(const TempFolder& dir, const std::vector<std::string>& addresses);
