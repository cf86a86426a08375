// Guard bytes around the host's current record: the rest of the page of host
// memory it lies in, before and after it. Any change there is a write
// outside the record.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "ui/common/records.h"

class RecordGuard {
public:
    static constexpr uint8_t Byte = 0xA5;

    void Arm(PrintSettings& record) {
        m_record = reinterpret_cast<uint8_t*>(&record);
        m_begin = reinterpret_cast<uint8_t*>(reinterpret_cast<uintptr_t>(m_record) & ~uintptr_t{0xFFF});
        m_end = m_begin + 0x1000;
        std::memset(m_begin, Byte, m_record - m_begin);
        std::memset(m_record + sizeof record, Byte, m_end - m_record - sizeof record);
    }
    // True when room was left before the record as well as after it.
    bool GuardsBothSides() const { return m_record > m_begin && m_record + sizeof(PrintSettings) < m_end; }
    // The offset from the record's start of the first changed guard byte, or
    // 0 when none changed.
    ptrdiff_t FirstChange() const {
        for (const uint8_t* p = m_begin; p < m_end; ++p) {
            if (p == m_record) p += sizeof(PrintSettings);
            if (*p != Byte) return p - m_record;
        }
        return 0;
    }

private:
    uint8_t* m_begin = nullptr;
    uint8_t* m_record = nullptr;
    uint8_t* m_end = nullptr;
};
