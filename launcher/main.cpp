// Zavuvida: the windowless launcher of KelmoraFp. It takes no arguments.
#include "Launcher.h"

int main() {
    return launcher::RunLauncher();
}
