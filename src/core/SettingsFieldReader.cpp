#include "core/SettingsFieldReader.h"

namespace {
bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}
} // namespace

SettingsFieldReader::SettingsFieldReader(const QByteArray& content) : m_content(content)
{
    // Editors that save UTF-8 may put a byte order mark in front; it is not part of the first field.
    if (m_content.startsWith("\xEF\xBB\xBF"))
        m_pos = 3;
}

bool SettingsFieldReader::atLineEnd() const
{
    return m_content[m_pos] == '\r' || m_content[m_pos] == '\n';
}

bool SettingsFieldReader::endsText(char c)
{
    return c == '\r' || c == '\n' || c == '\0';
}

void SettingsFieldReader::skipBlanks()
{
    while (m_pos < m_content.size() && isBlank(m_content[m_pos]))
        ++m_pos;
}

void SettingsFieldReader::skipToNextField()
{
    while (m_pos < m_content.size() && m_content[m_pos] != ',' && !atLineEnd())
        ++m_pos;
    if (m_pos >= m_content.size())
        return;
    // A CR LF pair is one line end.
    if (m_content[m_pos] == '\r' && m_pos + 1 < m_content.size() && m_content[m_pos + 1] == '\n')
        ++m_pos;
    ++m_pos;
}

std::optional<QByteArray> SettingsFieldReader::next()
{
    skipBlanks();
    if (m_pos >= m_content.size())
        return std::nullopt;

    if (m_content[m_pos] == '"') {
        QByteArray text;
        for (qsizetype i = m_pos + 1; i < m_content.size(); ++i) {
            if (endsText(m_content[i])) {
                // A line break or a NUL never enters a text: the text stops there, cut short.
                m_whole = false;
                m_pos = i;
                skipToNextField();
                return text;
            }
            if (m_content[i] != '"') {
                text += m_content[i];
                continue;
            }
            if (i + 1 < m_content.size() && m_content[i + 1] == '"') {
                text += '"';
                ++i;
                continue;
            }
            m_pos = i + 1;
            skipToNextField();
            return text;
        }
        m_whole = false;
        m_pos = m_content.size();
        return std::nullopt;
    }

    const qsizetype start = m_pos;
    while (m_pos < m_content.size() && m_content[m_pos] != ',' && !endsText(m_content[m_pos]))
        ++m_pos;
    QByteArray field = m_content.mid(start, m_pos - start);
    if (m_pos < m_content.size() && m_content[m_pos] == '\0')
        m_whole = false;
    while (!field.isEmpty() && isBlank(field.back()))
        field.chop(1);
    skipToNextField();
    return field;
}
