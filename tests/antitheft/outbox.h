#pragma once

#include <QByteArray>
#include <QList>

#include <cstring>

// Reads the simulated modem's outbox back: one entry per 6500-byte record,
// each field taken from its own offset, independently of the program's
// record builder.
struct SentMessage {
    QByteArray serviceCentre; // offset 2, up to its zero
    QByteArray number;        // offset 44
    QByteArray text;          // offset 94, as long as the length field says
    int length = -1;          // 16 bits at 92
    bool textZeroTerminated = false;
    // Offsets 0, 1, 88 (32 bits), 6496..6498 hold 0, 1, 1, 2, 0, 0, the two
    // number fields end in a zero within their width, and every byte outside
    // the fields is zero.
    bool frameRight = false;
};

inline QList<SentMessage> readOutbox(const QByteArray& outbox, bool* whole = nullptr)
{
    constexpr int size = 6500;
    if (whole)
        *whole = outbox.size() % size == 0;
    QList<SentMessage> sent;
    for (int at = 0; at + size <= outbox.size(); at += size) {
        QByteArray r = outbox.mid(at, size);
        const auto byte = [&r](int i) { return static_cast<unsigned char>(r[i]); };
        SentMessage m;
        m.serviceCentre = QByteArray(r.constData() + 2, int(qstrnlen(r.constData() + 2, 42)));
        m.number = QByteArray(r.constData() + 44, int(qstrnlen(r.constData() + 44, 44)));
        m.length = byte(92) | (byte(93) << 8);
        const int length = qMin(m.length, 6402);
        m.text = r.mid(94, length);
        m.textZeroTerminated = m.length < 6402 && byte(94 + m.length) == 0;
        const quint32 flag = byte(88) | (byte(89) << 8) | (byte(90) << 16) | (quint32(byte(91)) << 24);
        m.frameRight = m.serviceCentre.size() < 42 && m.number.size() < 44 && byte(0) == 0 && byte(1) == 1 && flag == 1 && byte(6496) == 2 && byte(6497) == 0
            && byte(6498) == 0;
        // Clear every field; what is left must be zero.
        std::memset(r.data() + 2, 0, std::size_t(m.serviceCentre.size()));
        std::memset(r.data() + 44, 0, std::size_t(m.number.size()));
        std::memset(r.data() + 94, 0, std::size_t(length));
        r[1] = 0;
        r[88] = 0;
        r[92] = 0;
        r[93] = 0;
        r[6496] = 0;
        m.frameRight = m.frameRight && r.count('\0') == size;
        sent << m;
    }
    return sent;
}
