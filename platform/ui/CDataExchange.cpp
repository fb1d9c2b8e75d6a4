#include "platform/ui/CDataExchange.h"

namespace win {

void DDX_Control(CDataExchange* dx, int id, CWnd& control) {
    if (dx) {
        dx->bindings.emplace_back(id, &control);
    }
}

} // namespace win
