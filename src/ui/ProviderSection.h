#pragma once

#include "presentation/PanelModel.h"

#include <QList>
#include <QWidget>

class BusyIndicator;
class PanelLabel;
class ProviderIcon;
class QVBoxLayout;
class UsageRow;

// One provider: icon, name and a busy indicator, then its error, its limits or "Loading...".
class ProviderSection : public QWidget
{
    Q_OBJECT
public:
    explicit ProviderSection(QWidget *parent = nullptr);

    // Reuses the rows it already has, so a refresh rebuilds nothing.
    void setModel(const SectionModel &section);

    QString title() const;
    bool showsError() const;
    QString errorText() const;
    // Empty while no detail line shows.
    QString errorDetailText() const;
    // The lines under the rows (banked resets, budgets, the age of kept
    // figures), one per line; empty while none shows.
    QString notesText() const;
    QList<UsageRow *> visibleRows() const;

private:
    QVBoxLayout *m_layout;
    ProviderIcon *m_icon;
    PanelLabel *m_name;
    BusyIndicator *m_busy;
    PanelLabel *m_error;
    PanelLabel *m_errorDetail;
    PanelLabel *m_waiting;
    PanelLabel *m_notes;
    QList<UsageRow *> m_rows;
};
