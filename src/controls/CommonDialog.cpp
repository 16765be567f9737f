#include "controls/CommonDialog.h"

#include "core/ColorValue.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QRegularExpression>

namespace {
std::deque<std::optional<QString>> openAnswers;
std::deque<std::optional<qint32>> colorAnswers;
CommonDialog::OpenRequest lastRequest;
} // namespace

CommonDialog::CommonDialog(QObject* parent) : QObject(parent) {}

void CommonDialog::answerNextOpen(std::optional<QString> fileName)
{
    openAnswers.push_back(std::move(fileName));
}

void CommonDialog::answerNextColor(std::optional<qint32> color)
{
    colorAnswers.push_back(color);
}

CommonDialog::OpenRequest CommonDialog::lastOpenRequest()
{
    return lastRequest;
}

void CommonDialog::clearAnswers()
{
    openAnswers.clear();
    colorAnswers.clear();
    lastRequest = {};
}

QStringList CommonDialog::qtFilters(const QString& filter)
{
    QStringList result;
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        // Blanks around the pattern are not part of it; several patterns are separated by ';'.
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& p : patterns)
            p = p.trimmed();
        const QString joined = patterns.join(QLatin1Char(' '));
        // Qt reads the patterns from the last parentheses, so a description that already ends
        // with them is used as it stands.
        if (description.endsWith(QStringLiteral("(%1)").arg(joined)))
            result << description;
        else
            result << QStringLiteral("%1 (%2)").arg(description, joined);
    }
    if (result.isEmpty())
        result << tr("All Files (*)");
    return result;
}

bool CommonDialog::ShowOpen(QWidget* owner)
{
    lastRequest = {m_filter, m_initDir};
    if (!openAnswers.empty()) {
        const std::optional<QString> answer = openAnswers.front();
        openAnswers.pop_front();
        if (answer)
            m_fileName = *answer;
        return answer.has_value();
    }
    QFileDialog dialog(owner, QString(), m_initDir);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilters(qtFilters(m_filter));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    m_fileName = QDir::toNativeSeparators(dialog.selectedFiles().constFirst());
    return true;
}

bool CommonDialog::ShowColor(QWidget* owner)
{
    if (!colorAnswers.empty()) {
        const std::optional<qint32> answer = colorAnswers.front();
        colorAnswers.pop_front();
        if (answer)
            m_color = *answer;
        return answer.has_value();
    }
    const QColor initial = ColorValue::resolve(quint32(m_color), owner ? owner->palette() : QPalette());
    QColorDialog dialog(initial, owner);
    if (dialog.exec() != QDialog::Accepted || !dialog.selectedColor().isValid())
        return false;
    m_color = qint32(ColorValue::fromColor(dialog.selectedColor()));
    return true;
}
