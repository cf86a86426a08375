// qvhost: plays the 16-bit printer driver that hosts the user interface.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "host/job/default_settings.h"
#include "engine/rdt_mapper.h"
#include "host/job/job_file.h"
#include "tools/common/image_io.h"
#include "tools/qvrdt/qvrdt.h"
#include "host/host_session.h"
#include "host/property_sheet.h"
#include "host/script.h"

namespace {

constexpr int ExitUsage = 2;

// A path from the Linux side (under Wine) names the same file on drive Z:.
std::string HostPath(const std::string& path) {
    if (path.empty() || path[0] != '/') return path;
    std::string p = "Z:" + path;
    for (char& c : p)
        if (c == '/') c = '\\';
    return p;
}

struct Options {
    std::string Job;
    std::string Shots;
    std::string Output;
    std::string Format;
    std::string In;
    std::string Out;
    std::string Save;
    std::vector<std::string> Files;  // arguments that are no options
    bool Help = false;
};

// Parses "--name value" options; returns false with a message on bad use.
bool ParseOptions(const std::vector<std::string>& args, Options& o, std::string& error) {
    struct Flag {
        const char* Name;
        std::string Options::*Value;
    };
    static const Flag flags[] = {{"--job", &Options::Job},
                                 {"--shots", &Options::Shots},
                                 {"-o", &Options::Output},
                                 {"--format", &Options::Format},
                                 {"--in", &Options::In},
                                 {"--out", &Options::Out},
                                 {"--save", &Options::Save}};
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--help" || args[i] == "-h") {
            o.Help = true;
            continue;
        }
        if (!args[i].empty() && args[i][0] != '-') {
            o.Files.push_back(HostPath(args[i]));
            continue;
        }
        const Flag* found = nullptr;
        for (const Flag& f : flags)
            if (args[i] == f.Name) found = &f;
        if (!found) {
            error = "unknown option '" + args[i] + "'";
            return false;
        }
        if (i + 1 >= args.size()) {
            error = std::string("option ") + found->Name + " needs a value";
            return false;
        }
        o.*(found->Value) = HostPath(args[++i]);
    }
    return true;
}

// The job's settings: the default job, or a job file read over it.
bool LoadJob(const Options& o, PrintSettings& job) {
    job = MakeDefaultSettings();
    if (o.Job.empty()) return true;
    std::string error;
    if (LoadJobFile(o.Job, MakeDefaultSettings(), job, error)) return true;
    fprintf(stderr, "qvhost: %s\n", error.c_str());
    return false;
}

bool OpenSession(HostSession& session, const Options& o) {
    PrintSettings job;
    if (!LoadJob(o, job)) return false;
    if (!session.Open(job, MakeDefaultSettings())) {
        fprintf(stderr, "qvhost: cannot load QV3810T2.dll and QV3810ui.dll beside qvhost.exe\n");
        return false;
    }
    return true;
}

int Properties(const Options& o) {
    HostSession session;
    if (!OpenSession(session, o)) return ExitUsage;
    if (!RunPropertySheet(session, nullptr)) {
        printf("Cancel: the job is unchanged\n");
        return 0;
    }
    if (o.Job.empty()) {
        printf("OK (the default job is not saved)\n");
        return 0;
    }
    std::string error;
    if (!SaveJobFile(o.Job, session.Current(), error)) {
        fprintf(stderr, "qvhost: %s\n", error.c_str());
        return 1;
    }
    printf("OK: saved %s\n", o.Job.c_str());
    return 0;
}

int Dump(const Options& o) {
    PrintSettings job;
    if (!LoadJob(o, job)) return ExitUsage;
    size_t count = 0;
    const JobField* fields = JobFields(&count);
    for (size_t i = 0; i < count; ++i) printf("%s=%s\n", fields[i].Name, FormatJobValue(job, fields[i]).c_str());
    return 0;
}

// The job's rendering data table, through the bridge's table entry.
std::vector<uint8_t> JobTable(HostSession& session) {
    std::vector<uint8_t> table(RdtBytes);
    session.RenderingTable(session.Current().Color, table.data());
    return table;
}

int Rdt(const Options& o) {
    if (o.Output.empty()) {
        fprintf(stderr, "qvhost rdt: -o FILE is required\n");
        return ExitUsage;
    }
    const std::string format = o.Format.empty() ? "raw" : o.Format;
    if (format != "raw" && format != "cube") {
        fprintf(stderr, "qvhost rdt: unknown format '%s' (raw or cube)\n", format.c_str());
        return ExitUsage;
    }
    HostSession session;
    if (!OpenSession(session, o)) return ExitUsage;
    const std::vector<uint8_t> table = JobTable(session);
    std::string error;
    const bool written = format == "raw" ? WriteFileAtomically(o.Output, table.data(), table.size(), error)
                                         : WriteCubeFile(o.Output, table.data(), session.Current().Color, error);
    if (!written) {
        fprintf(stderr, "qvhost: %s\n", error.c_str());
        return 1;
    }
    printf("%s: %s table of the job\n", o.Output.c_str(), format.c_str());
    return 0;
}

// The picture as the printer prints it with the job's color settings.
int Print(const Options& o) {
    ImageFormat format;
    if (o.In.empty() || o.Out.empty()) {
        fprintf(stderr, "qvhost print: --in IMAGE and --out IMAGE are required\n");
        return ExitUsage;
    }
    if (!ImageFormatFromPath(o.Out, format)) {
        fprintf(stderr, "qvhost print: %s: the output must end in .png, .bmp or .ppm\n", o.Out.c_str());
        return ExitUsage;
    }
    Image image;
    std::string error;
    if (!ReadImageFile(o.In, image, error)) {
        fprintf(stderr, "qvhost print: %s\n", error.c_str());
        return ExitUsage;
    }
    HostSession session;
    if (!OpenSession(session, o)) return ExitUsage;
    const std::vector<uint8_t> table = JobTable(session);
    RdtMapper(table.data()).MapRgb(image.rgb.data(), image.rgb.data(), image.rgb.size() / 3);
    if (!WriteImageFile(o.Out, format, image.width, image.height, image.rgb.data(), error)) {
        fprintf(stderr, "qvhost print: %s\n", error.c_str());
        return 1;
    }
    printf("%s: %d x %d as printed\n", o.Out.c_str(), image.width, image.height);
    return 0;
}

int Show(const Options& o) {
    if (o.Shots.empty()) {
        fprintf(stderr, "qvhost show: --shots DIR is required\n");
        return ExitUsage;
    }
    CreateDirectoryA(o.Shots.c_str(), nullptr);
    HostSession session;
    if (!OpenSession(session, o)) return ExitUsage;
    std::vector<std::string> files = ShootPropertySheet(session, o.Shots);
    if (files.size() != 4) {
        fprintf(stderr, "qvhost show: could not save the pictures into %s\n", o.Shots.c_str());
        return 1;
    }
    for (size_t i = 0; i < files.size(); ++i) printf("%-8s %s\n", HostPages[i].Name, files[i].c_str());
    return 0;
}

int RunScriptFile(const Options& o) {
    Script script;
    std::string error;
    if (!LoadScriptFile(o.Files[0], script, error)) {
        fprintf(stderr, "qvhost script: %s\n", error.c_str());
        return ExitUsage;
    }
    HostSession session;
    if (!OpenSession(session, o)) return ExitUsage;
    return RunScriptCommand(session, script, o.Save);
}

struct Command {
    const char* Name;
    int (*Run)(const Options&);
    const char* Usage;
    size_t Files = 0;  // file arguments the command takes
};

const Command Commands[] = {
    {"properties", Properties, "qvhost properties [--job FILE]\n  The printer properties of a job in a window.\n"},
    {"show", Show,
     "qvhost show [--job FILE] --shots DIR\n  Visits every page and saves a PNG picture of each into DIR.\n"},
    {"dump", Dump, "qvhost dump [--job FILE]\n  Prints every setting of the job, one Name=value line each.\n"},
    {"rdt", Rdt,
     "qvhost rdt [--job FILE] -o FILE [--format raw|cube]\n"
     "  Writes the job's rendering data table: raw (14739 bytes) or a .cube 3D LUT.\n"},
    {"print", Print,
     "qvhost print [--job FILE] --in IMAGE --out IMAGE\n"
     "  The picture (PNG, BMP or PPM) as the printer prints it with the job's color settings.\n"},
    {"script", RunScriptFile,
     "qvhost script FILE [--job FILE] [--save FILE]\n  Plays the steps of a script into the printer properties and checks\n"
     "  its expectations; --save writes the job when every one held.\n",
     1},
};

void PrintUsage(FILE* to) {
    fprintf(to, "usage:\n");
    for (const Command& c : Commands) fprintf(to, "  %s", c.Usage);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        PrintUsage(stderr);
        return ExitUsage;
    }
    const std::string name = argv[1];
    if (name == "--help" || name == "-h" || name == "help") {
        PrintUsage(stdout);
        return 0;
    }
    for (const Command& c : Commands) {
        if (name != c.Name) continue;
        Options o;
        std::string error;
        if (!ParseOptions(std::vector<std::string>(argv + 2, argv + argc), o, error)) {
            fprintf(stderr, "qvhost %s: %s\n%s", c.Name, error.c_str(), c.Usage);
            return ExitUsage;
        }
        if (o.Help) {
            printf("%s", c.Usage);
            return 0;
        }
        if (o.Files.size() != c.Files) {
            const std::string problem = o.Files.size() < c.Files ? std::string("a file argument is missing")
                                                                 : "unexpected argument '" + o.Files[c.Files] + "'";
            fprintf(stderr, "qvhost %s: %s\n%s", c.Name, problem.c_str(), c.Usage);
            return ExitUsage;
        }
        return c.Run(o);
    }
    fprintf(stderr, "qvhost: unknown command '%s'\n", name.c_str());
    PrintUsage(stderr);
    return ExitUsage;
}
