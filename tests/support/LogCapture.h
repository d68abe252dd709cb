#pragma once

#include <QLoggingCategory>
#include <QStringList>

// Collects the messages of the categories under rules while it lives;
// other messages go on to the previous handler.
class LogCapture
{
public:
    explicit LogCapture(const QString &rules)
    {
        s_lines.clear();
        QLoggingCategory::setFilterRules(rules);
        s_previous = qInstallMessageHandler(&LogCapture::handle);
    }
    ~LogCapture()
    {
        qInstallMessageHandler(s_previous);
        QLoggingCategory::setFilterRules(QString());
    }
    static QStringList &lines() { return s_lines; }

private:
    static void handle(QtMsgType type, const QMessageLogContext &context, const QString &message)
    {
        if (context.category && QByteArrayView(context.category).startsWith("quotix."))
            s_lines.append(QString::fromLatin1(context.category) + QStringLiteral(": ") + message);
        else if (s_previous)
            s_previous(type, context, message);
    }

    static inline QStringList s_lines;
    static inline QtMessageHandler s_previous = nullptr;
};
