#pragma once

#include <QPicture>
#include <QString>
#include <QWidget>

#include <optional>

// The provider's image at 16 x 16, or its text symbol when there is no image.
class ProviderIcon : public QWidget
{
    Q_OBJECT
public:
    explicit ProviderIcon(QWidget *parent = nullptr);

    void setIcon(const std::optional<QString> &iconName, const QString &fallbackText);
    bool showsImage() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    std::optional<QString> m_iconName;
    QString m_text;
    std::optional<QPicture> m_picture;
};
