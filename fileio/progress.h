// Progress of a long run on a terminal: one line on standard error,
// rewritten in place and cleared at the end. Nothing when `shown` is false
// (output that is not a terminal stays quiet).
#pragma once

#include <cstddef>
#include <ostream>
#include <string>

class Progress {
public:
    Progress(std::ostream& to, std::string who, bool shown) : m_to(to), m_who(std::move(who)), m_shown(shown) {}
    ~Progress() { Done(); }
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    void Stage(const std::string& text) { Show(text); }
    void Percent(const std::string& text, int percent) { Show(text + " " + std::to_string(percent) + "%"); }
    void Done() {
        if (m_width) m_to << '\r' << std::string(m_width, ' ') << '\r' << std::flush;
        m_width = 0;
    }

private:
    void Show(const std::string& text) {
        if (!m_shown) return;
        const std::string line = m_who + ": " + text;
        m_to << '\r' << line;
        if (line.size() < m_width) m_to << std::string(m_width - line.size(), ' ') << '\r' << line;
        m_to << std::flush;
        if (line.size() > m_width) m_width = line.size();
    }

    std::ostream& m_to;
    const std::string m_who;
    const bool m_shown;
    size_t m_width = 0;
};
