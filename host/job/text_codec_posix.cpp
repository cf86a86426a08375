#include <iconv.h>


#include "host/job/text_codec.h"

namespace {

class Iconv {
public:
    Iconv(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~Iconv() {
        if (m_cd != reinterpret_cast<iconv_t>(-1)) iconv_close(m_cd);
    }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;

    bool Run(const std::string& in, std::string& out) {
        out.clear();
        if (m_cd == reinterpret_cast<iconv_t>(-1)) return false;
        std::string buffer(in.size() * 4 + 16, '\0');
        char* src = const_cast<char*>(in.data());
        size_t srcLeft = in.size();
        char* dst = &buffer[0];
        size_t dstLeft = buffer.size();
        if (iconv(m_cd, &src, &srcLeft, &dst, &dstLeft) == static_cast<size_t>(-1)) return false;
        out.assign(buffer.data(), buffer.size() - dstLeft);
        return true;
    }

private:
    iconv_t m_cd;
};

}  // namespace

bool Utf8ToShiftJis(const std::string& utf8, std::string& sjis) { return Iconv("CP932", "UTF-8").Run(utf8, sjis); }
bool ShiftJisToUtf8(const std::string& sjis, std::string& utf8) { return Iconv("UTF-8", "CP932").Run(sjis, utf8); }
