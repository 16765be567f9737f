#pragma once

#include <QObject>
#include <QString>
#include <deque>
#include <optional>

class QWidget;

// The common dialog control: an open-file dialog and a colour picker. A cancel is not reported:
// FileName and Color then keep the value they held before the dialog opened.
class CommonDialog : public QObject {
    Q_OBJECT
public:
    explicit CommonDialog(QObject* parent = nullptr);

    QString Filter() const { return m_filter; }
    void setFilter(const QString& filter) { m_filter = filter; }
    QString InitDir() const { return m_initDir; }
    void setInitDir(const QString& folder) { m_initDir = folder; }
    QString FileName() const { return m_fileName; }
    qint32 Color() const { return m_color; }

    // Both return whether the user confirmed; a cancel leaves the value as it was.
    bool ShowOpen(QWidget* owner);
    bool ShowColor(QWidget* owner);

    // "Description|pattern|..." as Qt's name filters.
    static QStringList qtFilters(const QString& filter);

    // Test seam: answer the next dialogs without opening them. std::nullopt is a cancel.
    static void answerNextOpen(std::optional<QString> fileName);
    static void answerNextColor(std::optional<qint32> color);
    struct OpenRequest {
        QString filter;
        QString initDir;
    };
    // What the last open dialog was asked to show.
    static OpenRequest lastOpenRequest();
    static void clearAnswers();

private:
    QString m_filter;
    QString m_initDir;
    QString m_fileName;
    qint32 m_color = 0;
};
