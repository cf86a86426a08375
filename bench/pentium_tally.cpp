// Exact instruction counts of the preview's operations on a Pentium, and
// what they cost on a Pentium 133 and a Pentium II 300 by a cycle model.
//
//   pentium_tally --qemu QEMU-I386 --program PENTIUM_STEPS --sample BMP --swatch BMP [--functions N]
//                 [--only OPERATION] [--annotate FUNCTION]
//
// --annotate prints the function's executed instructions, each with its count
// and its P5 and P6 clocks.
//
// Runs pentium_steps once per operation under qemu with one instruction per
// translation block and an execution trace (-one-insn-per-tb -d nochain,exec:
// one trace line per executed instruction, a rep-prefixed one once per
// iteration), counts the executions of each address between QvCountBegin
// and QvCountEnd, and prices every address by its instruction in objdump's
// disassembly of the program. The counts are exact and the same on every
// machine; the cycles are a first-order model.
//
// The cycle model, per instruction class (clocks of the Pentium, P5, and of
// the Pentium II, P6), is taken from Agner Fog's instruction tables ("Lists
// of instruction latencies, throughputs and micro-operation breakdowns",
// the Pentium and Pentium MMX and the Pentium II and III lists) and GCC's
// pipeline descriptions config/i386/pentium.md and config/i386/ppro.md. P5:
// the clocks of each instruction issued alone (no U/V pairing, which makes
// simple integer code up to twice as fast; FXCH free as it pairs with the
// FP instruction before it); ALU instructions with a memory source take one
// clock more, with a memory destination two. P6: reciprocal throughput
// (about two simple micro-operations a clock; one load, one store a clock;
// multiplies pipelined), long operations at their latency. Both: every
// memory access hits the cache and every branch is predicted.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace {

struct Cost {
    const char* Prefix;  // mnemonic, or its beginning
    double P5, P6;
};

// First match wins: longer prefixes before shorter ones.
const Cost Costs[] = {
    {"fldcw", 8, 10},  {"fnstcw", 2, 1},   {"fnstsw", 6, 3},  {"fsqrt", 70, 57},  {"fidiv", 42, 36},
    {"fdiv", 33, 32},  {"fyl2x", 103, 90}, {"f2xm1", 57, 60}, {"fscale", 32, 27}, {"frndint", 20, 30},
    {"fprem", 64, 40}, {"fxch", 0, 0},     {"fild", 3, 1},    {"fist", 6, 2},     {"fimul", 7, 6},
    {"fiadd", 7, 6},   {"fisub", 7, 6},    {"fmul", 2, 2},    {"fadd", 1, 1},     {"fsub", 1, 1},
    {"fcom", 1, 1},    {"fucom", 1, 1},    {"ftst", 1, 1},    {"fchs", 1, 1},     {"fabs", 1, 1},
    {"fldz", 2, 1},    {"fld1", 2, 1},     {"fldl2", 5, 2},   {"fldln2", 5, 2},   {"fldpi", 5, 2},
    {"fldt", 3, 2},    {"fld", 1, 1},      {"fstpt", 3, 2},   {"fst", 2, 1},      {"ffree", 1, 1},
    {"fwait", 1, 1},   {"emms", 6, 6},     {"push", 1, 1},    {"pop", 1, 1},      {"p", 1, 1},  // MMX
    {"movq", 1, 1},    {"movd", 1, 1},     {"imul", 9, 1},    {"mul", 9, 1},      {"idiv", 46, 39},
    {"div", 41, 39},   {"call", 2, 2},     {"ret", 2, 2},     {"jmp", 1, 1},      {"j", 1, 1},
    {"movz", 3, 0.5},  {"movsb", 3, 0.5},  {"movsw", 3, 0.5}, {"cltd", 2, 0.5},   {"cwtl", 3, 0.5},
    {"sahf", 2, 0.5},  {"set", 1, 0.5},    {"xchg", 3, 1.5},  {"shld", 4, 1},     {"shrd", 4, 1},
    {"leave", 3, 1.5}, {"rep", 1, 1},      {"lea", 1, 0.5},   {"cpuid", 14, 40},
};

struct Instruction {
    std::string Mnemonic, Operands, Function;
    double P5 = 0, P6 = 0;
};

bool StartsWith(const std::string& s, const char* prefix) {
    return s.compare(0, std::strlen(prefix), prefix) == 0;
}

void Price(Instruction& in) {
    for (const Cost& c : Costs) {
        if (StartsWith(in.Mnemonic, c.Prefix)) {
            in.P5 = c.P5;
            in.P6 = c.P6;
            const bool stack = StartsWith(in.Mnemonic, "push") || StartsWith(in.Mnemonic, "pop");
            if (stack && in.Operands.find('(') != std::string::npos) in.P5 += 1;
            return;
        }
    }
    // mov and the simple ALU instructions (AT&T order: source, destination).
    const size_t comma = in.Operands.rfind(',');
    const bool memDest = comma != std::string::npos ? in.Operands.find('(', comma) != std::string::npos
                                                    : in.Operands.find('(') != std::string::npos;
    const bool memSource = comma != std::string::npos && in.Operands.find('(') < comma;
    const bool shift = StartsWith(in.Mnemonic, "sh") || StartsWith(in.Mnemonic, "sa") || StartsWith(in.Mnemonic, "ro");
    const bool shiftByCl = shift && in.Operands.find("%cl,") != std::string::npos;
    if (StartsWith(in.Mnemonic, "mov")) {
        in.P5 = 1;
        in.P6 = memSource || memDest ? 1 : 0.5;
    } else {
        in.P5 = shiftByCl ? 4 : 1 + (memSource ? 1 : 0) + (memDest ? 2 : 0);
        in.P6 = memDest ? 2 : memSource ? 1 : 0.5;
    }
}

std::string Quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// Address to instruction, from objdump's disassembly of the program.
std::unordered_map<uint32_t, Instruction> Disassemble(const std::string& program) {
    std::unordered_map<uint32_t, Instruction> code;
    std::FILE* in = popen(("objdump -d -C --no-show-raw-insn " + Quote(program)).c_str(), "r");
    if (!in) return code;
    char line[4096];
    std::string function;
    while (std::fgets(line, sizeof line, in)) {
        const char* open = std::strchr(line, '<');
        const char* close = std::strrchr(line, '>');
        if (line[0] != ' ' && open && close > open) {  // "08049a30 <function>:"
            function.assign(open + 1, close);
            continue;
        }
        char* colon = std::strchr(line, ':');
        if (line[0] != ' ' || !colon || colon[1] != '\t') continue;
        const unsigned long address = std::strtoul(line, nullptr, 16);
        std::string text = colon + 2;
        while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
        Instruction ins;
        const size_t space = text.find(' ');
        ins.Mnemonic = text.substr(0, space);
        if (ins.Mnemonic == "rep" || ins.Mnemonic == "repz" || ins.Mnemonic == "repnz") ins.Mnemonic = "rep";
        if (space != std::string::npos) ins.Operands = text.substr(text.find_first_not_of(' ', space));
        ins.Function = function;
        Price(ins);
        code[static_cast<uint32_t>(address)] = ins;
    }
    pclose(in);
    return code;
}

struct Tally {
    uint64_t Instructions = 0;
    double P5 = 0, P6 = 0;
    struct Share {
        uint64_t Instructions = 0;
        double P5 = 0, P6 = 0;
    };
    std::map<std::string, Share> ByFunction;
    std::map<uint32_t, uint64_t> ByAddress;
    bool Complete = false;
};

// Executions of each address between the two markers, from qemu's trace:
// "Trace 0: 0x... [00000000/ADDRESS/flags/cflags] symbol".
Tally Run(const std::string& command, const std::unordered_map<uint32_t, Instruction>& code) {
    Tally t;
    std::FILE* in = popen(command.c_str(), "r");
    if (!in) return t;
    static char buffer[1 << 20];
    std::setvbuf(in, buffer, _IOFBF, sizeof buffer);
    std::unordered_map<uint32_t, uint64_t> counts;
    char line[4096];
    int state = 0;  // 0 before the first marker, 1 between, 2 after
    while (std::fgets(line, sizeof line, in)) {
        if (state == 2) continue;
        const char* open = std::strchr(line, '[');
        const char* slash = open ? std::strchr(open, '/') : nullptr;
        if (!slash) continue;
        const char* symbol = std::strchr(slash, ']');
        const bool begin = symbol && std::strncmp(symbol, "] QvCountBegin\n", 15) == 0;
        const bool end = symbol && std::strncmp(symbol, "] QvCountEnd\n", 13) == 0;
        if (state == 0) {
            state = begin ? 1 : 0;
            continue;
        }
        if (begin) continue;
        if (end) {
            state = 2;
            continue;
        }
        ++counts[static_cast<uint32_t>(std::strtoull(slash + 1, nullptr, 16))];
    }
    const int status = pclose(in);
    t.Complete = state == 2 && status == 0;
    for (const auto& [address, n] : counts) {
        t.Instructions += n;
        const auto at = code.find(address);
        if (at == code.end()) {
            t.ByFunction["(unknown)"].Instructions += n;
            continue;
        }
        t.P5 += n * at->second.P5;
        t.P6 += n * at->second.P6;
        Tally::Share& share = t.ByFunction[at->second.Function];
        share.Instructions += n;
        share.P5 += n * at->second.P5;
        share.P6 += n * at->second.P6;
        t.ByAddress[address] = n;
    }
    return t;
}

std::string Argument(int argc, char** argv, const char* name, const char* fallback = nullptr) {
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], name) == 0) return argv[i + 1];
    if (fallback) return fallback;
    std::fprintf(stderr,
                 "usage: pentium_tally --qemu QEMU-I386 --program PENTIUM_STEPS --sample BMP --swatch BMP "
                 "[--functions N] [--only OPERATION] [--annotate FUNCTION]\n");
    std::exit(2);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string qemu = Argument(argc, argv, "--qemu"), program = Argument(argc, argv, "--program");
    const std::string sample = Argument(argc, argv, "--sample"), swatch = Argument(argc, argv, "--swatch");
    const int functions = std::atoi(Argument(argc, argv, "--functions", "0").c_str());
    const std::string only = Argument(argc, argv, "--only", "");
    const std::string annotate = Argument(argc, argv, "--annotate", "");

    const auto code = Disassemble(program);
    if (code.empty()) {
        std::fprintf(stderr, "pentium_tally: no disassembly of %s\n", program.c_str());
        return 1;
    }
    std::vector<std::string> operations;
    {
        std::FILE* in = popen((Quote(qemu) + " " + Quote(program) + " --list").c_str(), "r");
        char line[256];
        while (in && std::fgets(line, sizeof line, in)) {
            const std::string op(line, std::strcspn(line, "\n"));
            if (only.empty() || op == only) operations.push_back(op);
        }
        if (in) pclose(in);
    }

    std::printf("%-16s %12s %12s %10s %12s %10s\n", "operation", "instructions", "P5 clocks", "P 133 ms",
                "P6 clocks", "PII 300 ms");
    int failed = 0;
    for (const std::string& op : operations) {
        // The Pentium II's processor identification: the C library's own
        // routines take their Pentium II forms; the engine's kernels are chosen
        // by pentium_steps itself.
        const std::string command = Quote(qemu) + " -cpu pentium2 -one-insn-per-tb -d nochain,exec " + Quote(program) +
                                    " " + op + " " + Quote(sample) + " " + Quote(swatch) + " 2>&1 >/dev/null";
        const Tally t = Run(command, code);
        if (!t.Complete) {
            std::printf("%-16s failed\n", op.c_str());
            ++failed;
            continue;
        }
        std::printf("%-16s %12llu %12.0f %10.1f %12.0f %10.1f\n", op.c_str(),
                    static_cast<unsigned long long>(t.Instructions), t.P5, t.P5 / 133e3, t.P6, t.P6 / 300e3);
        std::vector<std::pair<uint64_t, std::string>> top;
        for (const auto& [name, share] : t.ByFunction) top.emplace_back(share.Instructions, name);
        std::sort(top.rbegin(), top.rend());
        for (int i = 0; i < functions && i < static_cast<int>(top.size()); ++i) {
            const Tally::Share& share = t.ByFunction.at(top[i].second);
            std::printf("%16s %12llu %12.0f %10s %12.0f %10s  %s\n", "", static_cast<unsigned long long>(top[i].first),
                        share.P5, "", share.P6, "", top[i].second.c_str());
        }
        for (const auto& [address, n] : t.ByAddress) {
            const Instruction& in = code.at(address);
            if (in.Function == annotate)
                std::printf("%10llu %5.1f %5.1f  %08x  %-8s %s\n", static_cast<unsigned long long>(n), in.P5, in.P6,
                            address, in.Mnemonic.c_str(), in.Operands.c_str());
        }
        std::fflush(stdout);
    }
    return failed ? 1 : 0;
}
