// tm80: the TM80 control application.
#include "app/startup/ApplicationMain.h"

int main(int argc, char** argv) {
    return ApplicationMain(argc, argv);
}
