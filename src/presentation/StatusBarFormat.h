#pragma once

#include "core/Preferences.h"
#include "presentation/StatusFormat.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

// One line per refresh for status bars (waybar, i3blocks, polybar, tmux).

// The JSON line waybar's custom module reads: "text" is the tray title for the
// display mode, "tooltip" every row of every provider as the tray's menu
// lists them (resets as clock times of now), "class" the band of the
// highest figure shown ("green", "orange", "red"; "error" when none is shown)
// and "percentage" that figure's used share. Ends in a newline. The text
// leaves out the providers the tray's title leaves out. Text and tooltip are
// Pango markup, as waybar reads them by default: "&", "<" and ">" escaped.
QByteArray waybarLine(const StatusSnapshot &snapshot, DisplayMode mode, DisplayAs as,
                      const QStringList &titleLeftOut = {}, const QDateTime &now = QDateTime::currentDateTimeUtc());

// A --format template: text with fields in braces, "{{" and "}}" for braces.
class StatusTemplate
{
public:
    // The fixed fields a template may name; besides them, "<provider>.<slug>"
    // names a row by its slug ("claude.fable"), and "<account>.<field>" any
    // of an extra account's.
    static QStringList fieldNames();
    // The ids of the known providers (providerLooks()).
    static QStringList providerIds();
    // A row field of each provider, for help texts: "{claude.fable} {codex.monthly}".
    static QString rowFieldExamples();

    // Absent with *error set, naming the field or the brace at fault, when
    // the text is not a template. An extra account's fields are named by
    // its id: {claude-work.weekly}, {claude-work.max}.
    static std::optional<StatusTemplate> parse(const QString &text, QString *error,
                                               const QStringList &accountIds = {});

    // The line with every field filled in: a provider's binding session or
    // weekly limit, its highest ({claude.max}), a row by slug and {max} as the
    // faces write them ("--" when not known), {status}
    // as the status colour's name. Ends in a newline.
    QString render(const StatusSnapshot &snapshot, DisplayAs as) const;

private:
    struct Piece
    {
        bool isField = false;
        QString text; // the literal text, or the field's name
    };
    QList<Piece> m_pieces;
};
