#ifndef ZCONFIG_H
#define ZCONFIG_H

// Reader and writer of INI-style configuration files: "[section]" lines and
// "key = value" lines. Every byte of the file is one character (Latin-1) in
// both directions. When a file repeats a section or a key, the first
// occurrence wins. The format in full: docs/zconfig.md.
//
// The file is read once, when the object is made; reads answer from that
// content. Every writeEntry reads the file afresh, changes only the one
// key's line and puts the result on disk atomically before it returns, so an
// object made later sees the write; the writing object sees it as well.
// The path is the file name's bytes, one character per byte (a character
// above U+00FF names no file). The file keeps its owner and mode; a file
// that exists but cannot be read, or that this process may not write, is
// never replaced. writeEntry returns false, changing nothing, when that is
// so, when the write fails or when the value cannot be stored faithfully: a
// character above U+00FF, a line break, blanks at either end of a value, or
// a section or key name the line format cannot hold. writeEntries puts
// several keys into the file in one replacement: all of them or none.

#include <QByteArray>
#include <QByteArrayView>
#include <QChar>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

namespace ZConfigText {
class Reader;
}

class ZConfig
{
public:
    // writeMode states what the caller means to do; reading and writing
    // work the same in both modes.
    ZConfig(const QString& path, bool writeMode);
    ~ZConfig();
    ZConfig(ZConfig&&) noexcept; // the content moves with its reader
    ZConfig& operator=(ZConfig&&) noexcept;

    QString path() const { return m_path; }
    bool isWriteMode() const { return m_writeMode; }

    // The value of key in group, or def when the file, section or key is
    // missing. A key present with an empty value reads as "".
    QString readEntry(const QString& group, const QString& key,
                      const QString& def = QString()) const;
    // The value as a signed 32-bit decimal number; def when it is missing
    // or is not such a number.
    int readNumEntry(const QString& group, const QString& key, int def = 0) const;
    // The value split at sep, empty items dropped; empty when missing.
    QStringList readListEntry(const QString& group, const QString& key, QChar sep) const;

    bool writeEntry(const QString& group, const QString& key, const QString& value);
    bool writeEntry(const QString& group, const QString& key, int value);
    bool writeEntry(const QString& group, const QString& key, const char* value);

    struct Entry {
        QString group;
        QString key;
        QString value;
    };
    // The entries written in order, as one change: the file is replaced once
    // and reads as after the same writeEntry calls one by one. When any of
    // them cannot be stored, nothing is written and the result is false.
    bool writeEntries(const QList<Entry>& entries);

    // Called with the path of the file (a link resolved) just before a
    // write replaces or creates it; none by default. The program sets it
    // to keep what the file held.
    using ReplaceObserver = void (*)(const QString& path);
    static void setReplaceObserver(ReplaceObserver observer);

private:
    struct Bytes {
        QByteArray group;
        QByteArray key;
        QByteArray value;
    };

    std::optional<QByteArrayView> find(const QString& group, const QString& key) const;
    bool write(const QList<Bytes>& changes);

    QString m_path;
    bool m_writeMode;
    QByteArray m_content; // the file as read when opened or last written
    // Reads m_content in place; made on the first read after a change.
    mutable std::unique_ptr<ZConfigText::Reader> m_reader;
};

#endif
