// tm80: the TM80 control application. It takes no arguments (Qt's own, such
// as -platform, pass through to Qt) and keeps its folder tree under the
// working folder it is started in.
#include "app/CTM80_AppApp.h"

namespace {
// The one application object, made with the process's static objects.
CTM80_AppApp theApp;
} // namespace

int main(int argc, char** argv) {
    return theApp.Run(argc, argv);
}
