// Stand-in for KelmoraFp in the launcher's tests: writes "started.txt" into its current folder,
// naming the folder it was started from, and ends.
#include "platform/Paths.h"
#include "platform/Process.h"

#include <fstream>

int main() {
    std::ofstream out("started.txt", std::ios::binary | std::ios::trunc);
    out << platform::PathToUtf8(platform::OwnExecutablePath().parent_path());
    return out ? 0 : 1;
}
