#pragma once

#include <QWidget>

class PanelLabel;

// A message standing in for content: a warning sign over centred lines.
class ErrorView : public QWidget
{
    Q_OBJECT
public:
    explicit ErrorView(const QString &message, QWidget *parent = nullptr);

    QString message() const;

private:
    PanelLabel *m_message;
};
