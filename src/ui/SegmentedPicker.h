#pragma once

#include <QStringList>
#include <QWidget>

class QAbstractButton;
class QButtonGroup;

// A row of exclusive segments, one of them selected; emits indexChosen()
// only when the user picks a segment.
class SegmentedPicker : public QWidget
{
    Q_OBJECT
public:
    explicit SegmentedPicker(const QStringList &labels, QWidget *parent = nullptr);

    int currentIndex() const;
    void setCurrentIndex(int index);
    QAbstractButton *segment(int index) const;

Q_SIGNALS:
    void indexChosen(int index);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QButtonGroup *m_group;
};
