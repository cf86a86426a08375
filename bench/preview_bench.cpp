// One slider step of the color adjustment page, timed under the real
// window system: the scroll message to the end of the redraw of the sample
// and the swatch (the table rebuilt, both pictures mapped and stretched).
//
//   preview_bench [steps]
//
// Run from anywhere; the program's own folder holds the shipped
// QV3810A1.BMP, which is where the page finds the bare name first. For the
// second figure the program copies itself into a scratch folder with a
// 4-megapixel 24-bit QV3810A1.BMP beside it and runs that copy.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engine/color_engine.h"
#include "engine/rdt_mapper.h"
#include "host/automation.h"
#include "ui/adjust/adjust_resource.h"
#include "ui/adjust/adjust_sheet.h"
#include "ui/adjust/preview_drawing.h"
#include "ui/common/page_state.h"
#include "ui/framework/app_state.h"

namespace {

struct Figures {
    double Median;
    double P90;
    double Max;
};

Figures Summarise(std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms[ms.size() * 9 / 10], ms.back()};
}

double ThreadCpuMs() {
    FILETIME created, exited, kernel, user;
    GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
    auto ms = [](const FILETIME& t) { return (static_cast<uint64_t>(t.dwHighDateTime) << 32 | t.dwLowDateTime) / 1e4; };
    return ms(kernel) + ms(user);
}

struct Timing {
    std::vector<double> Ms;  // wall time of each step
    double CpuPerStep = 0;   // this thread's processor time, averaged (the machine's load aside)
    double BarRepaint = 0;   // median of the scroll bar's own repaint when its position is set, part of each step
};

// Steps the brightness slider back and forth and times each step.
Timing TimeSteps(int steps, int* sampleWidth, int* sampleHeight) {
    PrintSettings current = {}, defaults = {};
    current.ColorMode = 4;
    current.Color = {0, 3, 0, 0, 0, 0, 0, 0};
    g_pages.Current = &current;
    g_pages.Defaults = &defaults;

    Timing timing;
    std::vector<double>& ms = timing.Ms;
    int first = 0;
    CColPS sheet(5004, &first, nullptr, nullptr);
    automation::DialogAutomation script(600000);
    script.ExpectDialog({automation::Inspect([&](HWND s) {
                             HWND page = PropSheet_GetCurrentPageHwnd(s);
                             HWND bar = GetDlgItem(page, IDC_ADJ_BRIGHT_BAR);
                             UpdateWindow(page);
                             const PixelFrame& frame = CurrentColorPageLayout().SampleFrame;
                             *sampleWidth = frame.W - 10;
                             *sampleHeight = frame.H - 10;
                             LARGE_INTEGER frequency, start, end;
                             QueryPerformanceFrequency(&frequency);
                             std::vector<double> barMs;
                             const int position = GetScrollPos(bar, SB_CTL);
                             for (int i = 0; i < 50; ++i) {
                                 QueryPerformanceCounter(&start);
                                 SetScrollPos(bar, SB_CTL, position + (i % 2 ? 0 : 1), TRUE);
                                 QueryPerformanceCounter(&end);
                                 barMs.push_back(1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
                                                  static_cast<double>(frequency.QuadPart));
                             }
                             SetScrollPos(bar, SB_CTL, position, TRUE);
                             timing.BarRepaint = Summarise(barMs).Median;
                             const double cpu = ThreadCpuMs();
                             for (int i = 0; i < steps; ++i) {
                                 const WORD code = i % 2 ? SB_LINELEFT : SB_LINERIGHT;
                                 QueryPerformanceCounter(&start);
                                 SendMessageA(page, WM_HSCROLL, MAKEWPARAM(code, 0), reinterpret_cast<LPARAM>(bar));
                                 GdiFlush();
                                 QueryPerformanceCounter(&end);
                                 ms.push_back(1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
                                              static_cast<double>(frequency.QuadPart));
                             }
                             timing.CpuPerStep = (ThreadCpuMs() - cpu) / steps;
                         }),
                         automation::Cancel()});
    sheet.DoModal();
    g_pages.Current = nullptr;
    g_pages.Defaults = nullptr;
    return timing;
}

bool WriteLargeSample(const char* path, int width, int height) {
    const int stride = (width * 3 + 3) & ~3;
    BITMAPINFOHEADER info = {sizeof info, width, height, 1, 24, BI_RGB, static_cast<DWORD>(stride * height), 0, 0, 0, 0};
    BITMAPFILEHEADER file = {0x4D42, static_cast<DWORD>(sizeof file + sizeof info + info.biSizeImage), 0, 0,
                             static_cast<DWORD>(sizeof file + sizeof info)};
    FILE* f = std::fopen(path, "wb");
    if (!f) return false;
    std::fwrite(&file, sizeof file, 1, f);
    std::fwrite(&info, sizeof info, 1, f);
    std::vector<uint8_t> row(static_cast<size_t>(stride));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            row[x * 3 + 0] = static_cast<uint8_t>(x * 255 / width);
            row[x * 3 + 1] = static_cast<uint8_t>(y * 255 / height);
            row[x * 3 + 2] = static_cast<uint8_t>((x ^ y) & 0xFF);
        }
        std::fwrite(row.data(), 1, row.size(), f);
    }
    return std::fclose(f) == 0;
}

void Report(const char* what, const Timing& t, double budget) {
    const Figures f = Summarise(t.Ms);
    std::printf("%-34s %5zu steps  median %7.2f ms  p90 %7.2f ms  max %7.2f ms  (budget %.0f ms median: %s)\n"
                "%-34s this thread's cpu %.2f ms/step; setting the scroll bar alone (its own repaint) %.2f ms median\n",
                what, t.Ms.size(), f.Median, f.P90, f.Max, budget, f.Median <= budget ? "met" : "MISSED", "",
                t.CpuPerStep, t.BarRepaint);
}

}  // namespace

int main(int argc, char** argv) {
    const int steps = argc > 1 ? std::max(10, std::atoi(argv[1])) : 200;
    const bool largeRun = argc > 2 && std::strcmp(argv[2], "--large") == 0;
    g_resourceInstance = GetModuleHandleA(nullptr);
    SetFrameworkResourceHandle(g_resourceInstance);

    const std::string sample = ResolvePictureFile("QV3810A1.BMP");
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    HANDLE picture = sample.empty() ? INVALID_HANDLE_VALUE
                                    : CreateFileA(sample.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                  OPEN_EXISTING, 0, nullptr);
    if (picture == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "preview_bench: QV3810A1.BMP not found beside the program\n");
        return 1;
    }
    DWORD read = 0;
    ReadFile(picture, &file, sizeof file, &read, nullptr);
    ReadFile(picture, &info, sizeof info, &read, nullptr);
    CloseHandle(picture);

    int w = 0, h = 0;
    char label[128];
    if (largeRun) {
        const Timing large = TimeSteps(steps, &w, &h);
        std::snprintf(label, sizeof label, "%.1f-megapixel sample %ldx%ld -> %dx%d",
                      static_cast<double>(info.biWidth) * std::abs(info.biHeight) / 1e6, info.biWidth,
                      std::abs(info.biHeight), w, h);
        Report(label, large, 40);
        return 0;
    }

    std::printf("table mapping kernel: %s\n", MapKernelName(BestMapKernel()));
    const Timing small = TimeSteps(steps, &w, &h);
    std::snprintf(label, sizeof label, "shipped sample %ldx%ld -> %dx%d", info.biWidth, info.biHeight, w, h);
    Report(label, small, 8);
    std::fflush(stdout);

    char program[MAX_PATH], temp[MAX_PATH], folder[MAX_PATH], copy[MAX_PATH], large[MAX_PATH];
    GetModuleFileNameA(nullptr, program, sizeof program);
    GetTempPathA(sizeof temp, temp);
    std::snprintf(folder, sizeof folder, "%sqv_preview_bench_%lu", temp, GetCurrentProcessId());
    std::snprintf(copy, sizeof copy, "%s\\preview_bench.exe", folder);
    std::snprintf(large, sizeof large, "%s\\QV3810A1.BMP", folder);
    CreateDirectoryA(folder, nullptr);
    int status = 1;
    if (!CopyFileA(program, copy, FALSE) || !WriteLargeSample(large, 2309, 1732)) {  // 4.0 megapixels
        std::fprintf(stderr, "preview_bench: cannot prepare %s\n", folder);
    } else {
        char command[2 * MAX_PATH];
        std::snprintf(command, sizeof command, "\"%s\" %d --large", copy, std::max(10, steps / 5));
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process = {};
        if (CreateProcessA(copy, command, nullptr, nullptr, TRUE, 0, nullptr, folder, &startup, &process)) {
            WaitForSingleObject(process.hProcess, INFINITE);
            DWORD code = 1;
            GetExitCodeProcess(process.hProcess, &code);
            status = static_cast<int>(code);
            CloseHandle(process.hThread);
            CloseHandle(process.hProcess);
        }
    }
    DeleteFileA(large);
    DeleteFileA(copy);
    RemoveDirectoryA(folder);
    return status;
}
