// The application icon (resources 128 and 142: the same picture), built into
// the binary.
#pragma once

#include "platform/ui/CImage.h"

const win::CImage& AppIcon();
