#pragma once

#include <QByteArray>
#include <optional>

// Splits settings.txt into fields the way the file has always been read: fields end at a comma or
// a line end; a field that starts with a double quote runs to the next lone double quote (a
// doubled one inside stands for one quote); blanks around unquoted fields do not count. No field
// runs over a line end or a NUL.
class SettingsFieldReader {
public:
    explicit SettingsFieldReader(const QByteArray& content);

    // The next field without its quotes or blanks; nullopt at the end of the content, and for a
    // quoted text the content ends inside: such a text was cut off, and nothing follows it.
    std::optional<QByteArray> next();
    // False once a field was cut short: a quoted text that a line end, a NUL or the end of the
    // content ended, or a NUL in an unquoted field. Such a field holds what came before the cut.
    bool whole() const { return m_whole; }

private:
    bool atLineEnd() const;
    static bool endsText(char c);
    void skipBlanks();
    // Past the comma or line end that closes a field, whatever stands before it.
    void skipToNextField();

    const QByteArray m_content;
    qsizetype m_pos = 0;
    bool m_whole = true;
};
