#include "DriveSimCommand.h"

#include "../sim/SimControl.h"
#include "../sim/SimState.h"
#include "../sim/SimStore.h"
#include "../sim/SystemAccess.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <optional>

namespace sim {

namespace {

const char* kUsage =
    R"(usage: drivesim [--dir DIR] COMMAND [ARGUMENTS]

Plays the part of the simulated ZEMO SSD Dudur drives that the stand-in bridge library
(libJMUsbDll.so / JMUsbDll.dll) shows to the program. The state is shared through a folder:
--dir DIR, else $KELMORA_SIM_DIR, else the default folder (drivesim status prints it).

Drives:
  attach [--password P] [--product NAME]
                           put a new drive on the bus (locked when a password is given;
                           --product makes it report another product name); prints its number N
  detach [N]               take drive N off the bus (default: the first drive on the bus)
  plug [N]                 put drive N back on the bus, locked again when it has a password
                           (default: the first drive off the bus)
  status                   every drive: bus, security state, fingerprint function, enrolled ids,
                           custom-data summary, volume, pending faults
  volume N [--size BYTES] [--used BYTES]
                           figures of drive N's open volume
  clear                    forget every drive

Fingerprint sensor:
  touch FINGER [--drive N] place a named finger on the sensor; on a locked drive with the
                           fingerprint function on, an enrolled finger unlocks it and any other
                           finger is rejected for as long as it rests there
  lift [--drive N]         lift the finger
  similarity N V...        similarity values (decimal or 0x..) of drive N's next captures;
                           above 0x200 the program refuses a capture as too similar
  similarity N clear       back to the default value (0x100)

Faults:
  fault N KIND [COUNT|always]
                           make the next COUNT (default 1) occasions of KIND fail on drive N
  fault N clear            clear drive N's faults
  statusbytes N B1 B2      report raw security status bytes 1 and 2 (0..255, e.g. 0x12 0xFF)
  statusbytes N clear      report the drive's real status again

Fault kinds:
)";

std::optional<long long> Number(const std::string& text) {
    long long value = 0;
    const char* begin = text.data();
    const char* end = begin + text.size();
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        begin += 2;
        base = 16;
    }
    auto [ptr, ec] = std::from_chars(begin, end, value, base);
    if (ec != std::errc() || ptr != end || begin == end)
        return std::nullopt;
    return value;
}

std::optional<int> DriveNumber(const std::string& text) {
    auto n = Number(text);
    if (!n || *n < 1 || *n > 1000000)
        return std::nullopt;
    return int(*n);
}

class Command {
public:
    Command(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}

    int Usage(const std::string& problem) {
        err_ << "drivesim: " << problem << "\n(drivesim --help shows the commands)\n";
        return 2;
    }

    int Result(bool ok, const std::string& error) {
        if (ok)
            return 0;
        err_ << "drivesim: " << error << "\n";
        return 1;
    }

    int Run(std::vector<std::string> args) {
        while (!args.empty() && args[0] == "--dir") {
            if (args.size() < 2)
                return Usage("--dir needs a folder");
            SetEnvText("KELMORA_SIM_DIR", args[1]);
            args.erase(args.begin(), args.begin() + 2);
        }
        if (args.empty())
            return Usage("no command given");
        std::string cmd = args[0];
        std::vector<std::string> rest(args.begin() + 1, args.end());
        if (cmd == "help" || cmd == "--help" || cmd == "-h") {
            out_ << kUsage;
            for (int i = 0; i < kFaultKindCount; ++i) {
                std::string name = kFaultKinds[i].name;
                name.resize(std::max<size_t>(name.size() + 1, 21), ' ');
                out_ << "  " << name << kFaultKinds[i].description << "\n";
            }
            return 0;
        }
        if (cmd == "attach")
            return Attach(rest);
        if (cmd == "detach" || cmd == "plug")
            return DetachOrPlug(cmd, rest);
        if (cmd == "touch")
            return Touch(rest);
        if (cmd == "lift")
            return Lift(rest);
        if (cmd == "status")
            return Status(rest);
        if (cmd == "volume")
            return Volume(rest);
        if (cmd == "fault")
            return Fault(rest);
        if (cmd == "similarity")
            return Similarity(rest);
        if (cmd == "statusbytes")
            return StatusBytes(rest);
        if (cmd == "clear") {
            if (!rest.empty())
                return Usage("clear takes no arguments");
            std::string error;
            return Result(ClearAll(&error), error);
        }
        return Usage("unknown command '" + cmd + "'");
    }

private:
    int Attach(const std::vector<std::string>& a) {
        std::string password, product;
        for (size_t i = 0; i < a.size(); ++i) {
            if ((a[i] == "--password" || a[i] == "--product") && i + 1 < a.size()) {
                (a[i] == "--password" ? password : product) = a[i + 1];
                ++i;
            } else {
                return Usage("attach: unexpected '" + a[i] + "'");
            }
        }
        if (password.size() > 31)
            return Usage("attach: a password has at most 31 bytes");
        if (product.size() > 63)
            return Usage("attach: a product name has at most 63 bytes");
        std::string error;
        int id = sim::Attach(password, product, &error);
        if (!id)
            return Result(false, error);
        out_ << id << "\n";
        return 0;
    }

    int DetachOrPlug(const std::string& cmd, const std::vector<std::string>& a) {
        if (a.size() > 1)
            return Usage(cmd + " takes at most a drive number");
        int drive = 0;
        if (!a.empty()) {
            auto n = DriveNumber(a[0]);
            if (!n)
                return Usage(cmd + ": '" + a[0] + "' is not a drive number");
            drive = *n;
        }
        std::string error;
        return Result(cmd == "detach" ? Detach(drive, &error) : Plug(drive, &error), error);
    }

    // Parses an optional "--drive N"; false on bad input.
    bool DriveOption(std::vector<std::string>& a, int& drive) {
        drive = 0;
        for (size_t i = 0; i < a.size(); ++i)
            if (a[i] == "--drive") {
                if (i + 1 >= a.size())
                    return false;
                auto n = DriveNumber(a[i + 1]);
                if (!n)
                    return false;
                drive = *n;
                a.erase(a.begin() + long(i), a.begin() + long(i) + 2);
                return true;
            }
        return true;
    }

    int Touch(std::vector<std::string> a) {
        int drive;
        if (!DriveOption(a, drive))
            return Usage("touch: --drive needs a drive number");
        if (a.size() != 1 || a[0].empty())
            return Usage("touch needs exactly one finger name");
        std::string error;
        return Result(sim::Touch(a[0], drive, &error), error);
    }

    int Lift(std::vector<std::string> a) {
        int drive;
        if (!DriveOption(a, drive) || !a.empty())
            return Usage("lift takes only --drive N");
        std::string error;
        return Result(sim::Lift(drive, &error), error);
    }

    int Status(const std::vector<std::string>& a) {
        if (!a.empty())
            return Usage("status takes no arguments");
        std::string text, error;
        if (!StatusText(text, &error))
            return Result(false, error);
        out_ << text;
        return 0;
    }

    int Volume(const std::vector<std::string>& a) {
        if (a.empty())
            return Usage("volume needs a drive number");
        auto drive = DriveNumber(a[0]);
        if (!drive)
            return Usage("volume: '" + a[0] + "' is not a drive number");
        std::optional<uint64_t> size, used;
        for (size_t i = 1; i < a.size(); i += 2) {
            if (i + 1 >= a.size() || (a[i] != "--size" && a[i] != "--used"))
                return Usage("volume N [--size BYTES] [--used BYTES]");
            auto n = Number(a[i + 1]);
            if (!n || *n < 0)
                return Usage("volume: '" + a[i + 1] + "' is not a byte count");
            (a[i] == "--size" ? size : used) = uint64_t(*n);
        }
        if (!size && !used)
            return Usage("volume needs --size or --used");
        std::string error;
        return Result(SetVolume(*drive, size, used, &error), error);
    }

    int Fault(const std::vector<std::string>& a) {
        if (a.size() < 2 || a.size() > 3)
            return Usage("fault N KIND [COUNT|always], or fault N clear");
        auto drive = DriveNumber(a[0]);
        if (!drive)
            return Usage("fault: '" + a[0] + "' is not a drive number");
        std::string error;
        if (a[1] == "clear" && a.size() == 2)
            return Result(ClearFaults(*drive, &error), error);
        if (!IsFaultKind(a[1]))
            return Usage("fault: unknown kind '" + a[1] + "'");
        int count = 1;
        if (a.size() == 3) {
            auto n = Number(a[2]);
            if (a[2] == "always")
                count = -1;
            else if (!n || *n < 1 || *n > 1000000)
                return Usage("fault: the count must be 1 or more, or 'always'");
            else
                count = int(*n);
        }
        return Result(SetFault(*drive, a[1], count, &error), error);
    }

    int Similarity(const std::vector<std::string>& a) {
        if (a.size() < 2)
            return Usage("similarity N V..., or similarity N clear");
        auto drive = DriveNumber(a[0]);
        if (!drive)
            return Usage("similarity: '" + a[0] + "' is not a drive number");
        std::vector<uint16_t> values;
        if (!(a.size() == 2 && a[1] == "clear"))
            for (size_t i = 1; i < a.size(); ++i) {
                auto n = Number(a[i]);
                if (!n || *n < 0 || *n > 0xFFFF)
                    return Usage("similarity: '" + a[i] + "' is not a value 0..65535");
                values.push_back(uint16_t(*n));
            }
        std::string error;
        return Result(SetSimilarity(*drive, values, &error), error);
    }

    int StatusBytes(const std::vector<std::string>& a) {
        auto drive = a.empty() ? std::nullopt : DriveNumber(a[0]);
        if (!drive)
            return Usage("statusbytes N B1 B2, or statusbytes N clear");
        std::string error;
        if (a.size() == 2 && a[1] == "clear")
            return Result(SetStatusBytes(*drive, -1, -1, &error), error);
        if (a.size() != 3)
            return Usage("statusbytes N B1 B2, or statusbytes N clear");
        auto b1 = Number(a[1]), b2 = Number(a[2]);
        if (!b1 || !b2 || *b1 < 0 || *b1 > 255 || *b2 < 0 || *b2 > 255)
            return Usage("statusbytes: bytes are values 0..255");
        return Result(SetStatusBytes(*drive, int(*b1), int(*b2), &error), error);
    }

    std::ostream& out_;
    std::ostream& err_;
};

} // namespace

int RunDriveSim(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    return Command(out, err).Run(args);
}

} // namespace sim
