#pragma once

#include <QByteArray>
#include <QList>

// The simulated modem's outbox read back, one entry per 6500-byte record,
// each field taken from its own offset.
struct SentMessage {
    QByteArray serviceCentre; // offset 2, up to its zero
    QByteArray number;        // offset 44, up to its zero
    QByteArray text;          // offset 94, as long as the 16 bits at 92 say
    // 0, 1 at offsets 0 and 1, the 32-bit 1 at 88, 2, 0, 0 at 6496; every
    // text ends in a zero within its field, and all other bytes are zero.
    bool frameRight = false;
};

inline QList<SentMessage> readOutbox(const QByteArray& outbox)
{
    QList<SentMessage> sent;
    for (int at = 0; at + 6500 <= outbox.size(); at += 6500) {
        QByteArray r = outbox.mid(at, 6500);
        const int length = qMin(static_cast<uchar>(r[92]) | static_cast<uchar>(r[93]) << 8, 6401);
        SentMessage m{QByteArray(r.constData() + 2, int(qstrnlen(r.constData() + 2, 42))),
                      QByteArray(r.constData() + 44, int(qstrnlen(r.constData() + 44, 44))), r.mid(94, length)};
        m.frameRight = m.serviceCentre.size() < 42 && m.number.size() < 44 && r.mid(0, 2) == QByteArray("\0\1", 2)
            && r.mid(88, 4) == QByteArray("\1\0\0\0", 4) && r.mid(6496, 4) == QByteArray("\2\0\0\0", 4);
        // With the fields cleared, nothing but zeros may be left.
        r.replace(2, m.serviceCentre.size(), QByteArray(m.serviceCentre.size(), '\0'));
        r.replace(44, m.number.size(), QByteArray(m.number.size(), '\0'));
        r.replace(92, 2 + length, QByteArray(2 + length, '\0'));
        r[1] = r[88] = r[6496] = 0;
        m.frameRight = m.frameRight && r.count('\0') == 6500;
        sent << m;
    }
    return sent;
}
