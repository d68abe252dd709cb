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
        lines().clear();
        QLoggingCategory::setFilterRules(rules);
        previous() = qInstallMessageHandler(&LogCapture::handle);
    }
    ~LogCapture()
    {
        qInstallMessageHandler(previous());
        QLoggingCategory::setFilterRules(QString());
    }
    static QStringList &lines()
    {
        static QStringList captured;
        return captured;
    }

private:
    static QtMessageHandler &previous()
    {
        static QtMessageHandler handler = nullptr;
        return handler;
    }
    static void handle(QtMsgType type, const QMessageLogContext &context, const QString &message)
    {
        if (context.category && QByteArrayView(context.category).startsWith("quotix."))
            lines().append(QString::fromLatin1(context.category) + u": "_qs + message);
        else if (previous())
            previous()(type, context, message);
    }
};
