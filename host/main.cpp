// qvhost: plays the 16-bit printer driver that hosts the user interface.
#include <windows.h>

#include <io.h>

#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "host/job/default_settings.h"
#include "host/system_personality.h"
#include "engine/rdt_mapper.h"
#include "host/job/job_file.h"
#include "fileio/file_output.h"
#include "fileio/image_io.h"
#include "fileio/progress.h"
#include "tools/qvrdt/qvrdt.h"
#include "host/fpu_control.h"
#include "host/host_session.h"
#include "host/property_sheet.h"
#include "host/script.h"

namespace {

constexpr int ExitUsage = 2;

struct Options {
    std::string Job;
    std::string Shots;
    std::string Output;
    std::string Format;
    std::string In;
    std::string Out;
    std::string Save;
    std::string Fpu;
    std::vector<std::string> Files;  // arguments that are no options
    bool Help = false;
};

// The options; each command takes some of them.
enum OptionBit : unsigned {
    JobOpt = 1, ShotsOpt = 2, OutputOpt = 4, FormatOpt = 8, InOpt = 16, OutOpt = 32, SaveOpt = 64, FpuOpt = 128
};

struct Flag {
    const char* Name;
    OptionBit Bit;
    std::string Options::*Value;
    const char* Kind;  // what the value is, for messages
};
const Flag Flags[] = {{"--job", JobOpt, &Options::Job, "a job file"},
                      {"--shots", ShotsOpt, &Options::Shots, "a folder"},
                      {"-o", OutputOpt, &Options::Output, "a file"},
                      {"--format", FormatOpt, &Options::Format, "raw or cube"},
                      {"--in", InOpt, &Options::In, "an image file"},
                      {"--out", OutOpt, &Options::Out, "an image file"},
                      {"--save", SaveOpt, &Options::Save, "a job file"},
                      {"--fpu", FpuOpt, &Options::Fpu, "an x87 control word such as 0x037F"}};

const char* const TableFormats[] = {"raw", "cube"};

bool IsTableFormat(const std::string& value) {
    for (const char* f : TableFormats)
        if (value == f) return true;
    return false;
}

// Parses "--name value" options that the command accepts; false with a
// message on bad use: an unknown option, one of another command, one given
// twice, a missing value or one of the wrong kind.
bool ParseOptions(const std::vector<std::string>& args, unsigned accepts, Options& o, std::string& error) {
    unsigned given = 0;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--help" || args[i] == "-h") {
            o.Help = true;
            continue;
        }
        if (args[i].empty() || args[i][0] != '-') {
            o.Files.push_back(args[i]);
            continue;
        }
        const Flag* found = nullptr;
        for (const Flag& f : Flags)
            if (args[i] == f.Name) found = &f;
        if (!found) return error = "unknown option '" + args[i] + "'", false;
        if (!(accepts & found->Bit)) return error = "option " + args[i] + " does not belong to this command", false;
        if (given & found->Bit) return error = "option " + args[i] + " is given twice", false;
        given |= found->Bit;
        if (i + 1 >= args.size()) return error = "option " + args[i] + " needs " + found->Kind, false;
        const std::string& value = args[++i];
        unsigned short word;
        const bool wrongKind = found->Bit == FormatOpt ? !IsTableFormat(value)
                               : found->Bit == FpuOpt  ? !ParseControlWord(value, word)
                                                       : value.empty() || value[0] == '-';
        if (wrongKind)
            return error = "option " + args[i - 1] + " needs " + found->Kind + ", not '" + value + "'", false;
        o.*(found->Value) = value;
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

bool OpenSession(HostSession& session, const PrintSettings& job) {
    if (!session.Open(job, MakeDefaultSettings())) {
        if (session.LoadError().empty() || SystemPersonalityName().empty())
            fprintf(stderr, "qvhost: cannot load QV3810T2.dll and QV3810ui.dll beside qvhost.exe\n");
        return false;
    }
    return true;
}

bool OpenSession(HostSession& session, const Options& o) {
    PrintSettings job;
    return LoadJob(o, job) && OpenSession(session, job);
}

// The `qv` script says so when the only display it has is one of its own
// that nobody sees.
bool HasDisplay() {
    const char* none = getenv("QV_NO_DISPLAY");
    return !(none && strcmp(none, "1") == 0);
}

int Properties(const Options& o) {
    if (!HasDisplay()) {
        fprintf(stderr,
                "qvhost properties: the printer properties need a display to show their window.\n"
                "  Without one, `qvhost show --shots DIR` saves a picture of each page.\n");
        return ExitUsage;
    }
    PrintSettings job = MakeDefaultSettings();
    if (!o.Job.empty() && !FileExists(o.Job)) {
        printf("%s does not exist: a new job from the default settings, saved there on OK\n", o.Job.c_str());
    } else if (!LoadJob(o, job)) {
        return ExitUsage;
    }
    fflush(stdout);
    HostSession session;
    if (!OpenSession(session, job)) return ExitUsage;
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
    const std::string format = o.Format.empty() ? TableFormatFromPath(o.Output) : o.Format;
    if (!IsTableFormat(format)) {
        fprintf(stderr, "qvhost rdt: %s: the host writes raw or cube tables (qvrdt table writes ICC profiles)\n",
                o.Output.c_str());
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
    HostSession session;
    if (!OpenSession(session, o)) return ExitUsage;
    const std::vector<uint8_t> table = JobTable(session);
    Progress progress(std::cerr, "qvhost print", _isatty(_fileno(stderr)) != 0);
    progress.Stage("reading " + o.In);
    Image image;
    std::string error;
    if (!ReadImageFile(o.In, image, error)) {
        progress.Done();
        fprintf(stderr, "qvhost print: %s\n", error.c_str());
        return ExitUsage;
    }
    const RdtMapper mapper(table.data());
    MapInSteps(image, progress, [&](uint8_t* rgb, size_t pixels) { mapper.MapRgb(rgb, rgb, pixels); });
    progress.Stage("writing " + o.Out);
    const bool written = WriteImageFile(o.Out, format, image.width, image.height, image.rgb.data(), error);
    progress.Done();
    if (!written) {
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
    // A folder that cannot be made is told by the first picture's write.
    if (!MakeFolder(o.Shots) && FileExists(o.Shots)) {
        fprintf(stderr, "qvhost show: %s is a file, not a folder\n", o.Shots.c_str());
        return 1;
    }
    HostSession session;
    if (!OpenSession(session, o)) return ExitUsage;
    std::string error;
    std::vector<std::string> files = ShootPropertySheet(session, o.Shots, error);
    if (files.size() != 4) {
        fprintf(stderr, "qvhost show: could not save the pictures into %s: %s\n", o.Shots.c_str(), error.c_str());
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
    unsigned Accepts;
    const char* Usage;
    size_t Files = 0;  // file arguments the command takes
    bool StepHelp = false;  // --help lists the script steps
};

const Command Commands[] = {
    {"properties", Properties, JobOpt | FpuOpt,
     "qvhost properties [--job FILE] [--fpu CW]\n  The printer properties of a job in a window (a display is needed);\n"
     "  OK saves the job into FILE, which is made from the default settings when it does not exist.\n"},
    {"show", Show, JobOpt | ShotsOpt | FpuOpt,
     "qvhost show [--job FILE] --shots DIR [--fpu CW]\n  Visits every page and saves a PNG picture of each into DIR.\n"},
    {"dump", Dump, JobOpt, "qvhost dump [--job FILE]\n  Prints every setting of the job, one Name=value line each.\n"},
    {"rdt", Rdt, JobOpt | OutputOpt | FormatOpt | FpuOpt,
     "qvhost rdt [--job FILE] -o FILE [--format raw|cube] [--fpu CW]\n"
     "  Writes the job's rendering data table: raw (14739 bytes) or a .cube 3D LUT;\n"
     "  without --format a name ending in .cube gives a cube, any other raw.\n"},
    {"print", Print, JobOpt | InOpt | OutOpt,
     "qvhost print [--job FILE] --in IMAGE --out IMAGE\n"
     "  The picture (PNG, BMP or PPM) as the printer prints it with the job's color settings.\n"},
    {"script", RunScriptFile, JobOpt | SaveOpt | FpuOpt,
     "qvhost script FILE [--job FILE] [--save FILE] [--fpu CW]\n"
     "  Plays the steps of a script into the printer properties and checks\n"
     "  its expectations; --save writes the job when every one held.\n",
     1, true},
};

void PrintUsage(FILE* to) {
    fprintf(to, "usage:\n");
    for (const Command& c : Commands) fprintf(to, "  %s", c.Usage);
}

void PrintHelp(const Command& c) {
    printf("%s", c.Usage);
    if (c.Accepts & FpuOpt) printf("  --fpu CW sets the thread's x87 control word (0x027F, 0x037F, 0x1332) first.\n");
    if (!c.StepHelp) return;
    printf("\nsteps, one a line (# starts a comment; texts are UTF-8 in double quotes):\n");
    for (size_t i = 0; i < ScriptWordHelpCount; ++i) {
        const ScriptWordHelp& h = ScriptWordHelpAt(i);
        if (strlen(h.Syntax) <= 36) printf("  %-36s %s\n", h.Syntax, h.Help);
        else printf("  %s\n  %-36s %s\n", h.Syntax, "", h.Help);
    }
}

}  // namespace

// The command line comes as UTF-8: Wine hands the program its Unix
// arguments in UTF-16, and the ANSI code page (932) has no place for many
// of their characters.
int main(int argc, char** argv) {
    const std::vector<std::string> args = Utf8Arguments(argc, argv);
    if (args.size() < 2) {
        PrintUsage(stderr);
        return ExitUsage;
    }
    const std::string& name = args[1];
    if (name == "--help" || name == "-h" || name == "help") {
        PrintUsage(stdout);
        return 0;
    }
    for (const Command& c : Commands) {
        if (name != c.Name) continue;
        Options o;
        std::string error;
        if (!ParseOptions(std::vector<std::string>(args.begin() + 2, args.end()), c.Accepts, o, error)) {
            fprintf(stderr, "qvhost %s: %s\n%s", c.Name, error.c_str(), c.Usage);
            return ExitUsage;
        }
        if (o.Help) {
            PrintHelp(c);
            return 0;
        }
        if (o.Files.size() != c.Files) {
            const std::string problem = o.Files.size() < c.Files ? std::string("a file argument is missing")
                                                                 : "unexpected argument '" + o.Files[c.Files] + "'";
            fprintf(stderr, "qvhost %s: %s\n%s", c.Name, problem.c_str(), c.Usage);
            return ExitUsage;
        }
        unsigned short word;
        if (ParseControlWord(o.Fpu, word)) SetControlWord(word);
        return c.Run(o);
    }
    fprintf(stderr, "qvhost: unknown command '%s'\n", name.c_str());
    PrintUsage(stderr);
    return ExitUsage;
}
