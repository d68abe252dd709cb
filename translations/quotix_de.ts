<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>Alerts</name>
    <message>
        <source>%1 session limit has reset</source>
        <translation>%1: Sitzungslimit zurückgesetzt</translation>
    </message>
    <message>
        <source>%1 weekly limit has reset</source>
        <translation>%1: Wochenlimit zurückgesetzt</translation>
    </message>
    <message>
        <source>%1 %2 limit has reset</source>
        <translation>%1: Limit „%2“ zurückgesetzt</translation>
    </message>
    <message>
        <source>%1 Usage Alert</source>
        <translation>%1: Nutzungswarnung</translation>
    </message>
    <message>
        <source>Usage is at %1</source>
        <translation>Nutzung liegt bei %1</translation>
    </message>
    <message>
        <source>%1 · resets %2</source>
        <translation>%1 · setzt %2 zurück</translation>
    </message>
</context>
<context>
    <name>Common</name>
    <message>
        <source>Not logged in to %1.</source>
        <translation>Nicht bei %1 angemeldet.</translation>
    </message>
    <message>
        <source>%1 token missing required scope.</source>
        <translation>Dem %1-Token fehlt eine nötige Berechtigung.</translation>
    </message>
    <message>
        <source>API error (code: %1)</source>
        <translation>API-Fehler (Code: %1)</translation>
    </message>
    <message>
        <source>Failed to parse response: %1</source>
        <translation>Antwort nicht lesbar: %1</translation>
    </message>
    <message>
        <source>Invalid response from API</source>
        <translation>Ungültige Antwort der API</translation>
    </message>
    <message>
        <source>No providers configured.
Run &apos;claude&apos; or &apos;codex&apos; in Terminal to log in.</source>
        <translation>Keine Anbieter eingerichtet.
Zum Anmelden &apos;claude&apos; oder &apos;codex&apos; im Terminal ausführen.</translation>
    </message>
    <message>
        <source>Loading...</source>
        <translation>Wird geladen …</translation>
    </message>
    <message>
        <source>Usage credits</source>
        <translation>Nutzungsguthaben</translation>
    </message>
    <message>
        <source>Credits</source>
        <translation>Guthaben</translation>
    </message>
    <message>
        <source>unlimited</source>
        <translation>unbegrenzt</translation>
    </message>
    <message>
        <source>1 reset banked</source>
        <translation>1 Reset angespart</translation>
    </message>
    <message>
        <source>%1 resets banked</source>
        <translation>%1 Resets angespart</translation>
    </message>
    <message>
        <source>Workspace budget reached</source>
        <translation>Workspace-Budget erreicht</translation>
    </message>
    <message>
        <source>as of %1</source>
        <translation>Stand %1</translation>
    </message>
    <message>
        <source>At this pace: runs out %1</source>
        <translation>In diesem Tempo aufgebraucht %1</translation>
    </message>
    <message>
        <source>Resets %1</source>
        <translation>Setzt %1 zurück</translation>
    </message>
    <message>
        <source>At the last hour&apos;s rate: runs out %1</source>
        <translation>Im 1-Stunden-Tempo aufgebraucht %1</translation>
    </message>
    <message>
        <source>At the last 2 hours&apos; rate: runs out %1</source>
        <translation>Im 2-Stunden-Tempo aufgebraucht %1</translation>
    </message>
    <message>
        <source>now</source>
        <translation>jetzt</translation>
    </message>
    <message>
        <source>in %1m</source>
        <translation>in %1 min</translation>
    </message>
    <message>
        <source>in %1h %2m</source>
        <translation>in %1 h %2 min</translation>
    </message>
    <message>
        <source>in %1d %2h</source>
        <translation>in %1 T %2 h</translation>
    </message>
    <message>
        <source>at %1</source>
        <translation>um %1</translation>
    </message>
    <message>
        <source>--% left</source>
        <translation>-- % übrig</translation>
    </message>
    <message>
        <source>%1% left</source>
        <translation>%1 % übrig</translation>
    </message>
    <message>
        <source>Open Claude Code once to renew it.</source>
        <translation>Zum Erneuern Claude Code einmal öffnen.</translation>
    </message>
    <message>
        <source>Run codex once to renew it.</source>
        <translation>Zum Erneuern codex einmal ausführen.</translation>
    </message>
    <message>
        <source>less than a minute ago</source>
        <translation>vor weniger als einer Minute</translation>
    </message>
    <message>
        <source>%1 min ago</source>
        <translation>vor %1 min</translation>
    </message>
    <message>
        <source>%1 h ago</source>
        <translation>vor %1 h</translation>
    </message>
    <message>
        <source>%1 days ago</source>
        <translation>vor %1 Tagen</translation>
    </message>
    <message>
        <source>The saved login expired %1. %2</source>
        <translation>Die gespeicherte Anmeldung ist %1 abgelaufen. %2</translation>
    </message>
    <message>
        <source>The request timed out.</source>
        <translation>Zeitüberschreitung der Anfrage.</translation>
    </message>
    <message>
        <source>%1: Unlimited</source>
        <translation>%1: unbegrenzt</translation>
    </message>
    <message>
        <source>Sign in to GitHub Copilot in your editor again.</source>
        <translation>Im Editor erneut bei GitHub Copilot anmelden.</translation>
    </message>
    <message>
        <source>Run gemini once to renew it.</source>
        <translation>Zum Erneuern gemini einmal ausführen.</translation>
    </message>
    <message>
        <source>Gemini names no Cloud project for this login: set %1 to the project to ask about</source>
        <translation>Gemini nennt für diese Anmeldung kein Cloud-Projekt: %1 auf das gewünschte Projekt setzen</translation>
    </message>
    <message>
        <source>No provider or account named &quot;%1&quot;.</source>
        <translation>Kein Anbieter oder Konto namens „%1“.</translation>
    </message>
    <message>
        <source>Cannot start %1: %2</source>
        <translation>%1 lässt sich nicht starten: %2</translation>
    </message>
    <message>
        <source>The usage check did not end in time.</source>
        <translation>Die Nutzungsabfrage wurde nicht rechtzeitig fertig.</translation>
    </message>
    <message>
        <source>The usage check&apos;s answer is too long.</source>
        <translation>Die Antwort der Nutzungsabfrage ist zu lang.</translation>
    </message>
    <message>
        <source>The usage check stopped unexpectedly.</source>
        <translation>Die Nutzungsabfrage brach unerwartet ab.</translation>
    </message>
    <message>
        <source>The usage check failed (exit status %1).</source>
        <translation>Die Nutzungsabfrage ist fehlgeschlagen (Exit-Status %1).</translation>
    </message>
    <message>
        <source>The usage check gave no readable answer: %1</source>
        <translation>Die Nutzungsabfrage gab keine lesbare Antwort: %1</translation>
    </message>
    <message>
        <source>C</source>
        <comment>The locale whose decimal mark amounts of money use, as de_DE; C for English.</comment>
        <translation>de_DE</translation>
    </message>
</context>
<context>
    <name>History</name>
    <message>
        <source>No usage recorded in this period.</source>
        <translation>Keine Nutzung in diesem Zeitraum aufgezeichnet.</translation>
    </message>
    <message>
        <source>last %1, peak %2</source>
        <translation>zuletzt %1, Spitze %2</translation>
    </message>
    <message>
        <source>7 Days</source>
        <translation>7 Tage</translation>
    </message>
    <message>
        <source>30 Days</source>
        <translation>30 Tage</translation>
    </message>
    <message>
        <source>No usage has been recorded in this period.</source>
        <translation>In diesem Zeitraum wurde keine Nutzung aufgezeichnet.</translation>
    </message>
    <message>
        <source>History</source>
        <translation>Verlauf</translation>
    </message>
    <message>
        <source>Dashed lines: resets. Red dots: the limit reached 100%.</source>
        <translation>Gestrichelt: Resets. Rote Punkte: Limit bei 100 % erreicht.</translation>
    </message>
    <message>
        <source>Now</source>
        <translation>Jetzt</translation>
    </message>
    <message>
        <source>The usage history in %1 was written by a newer Quotix; this one records no history.</source>
        <translation>Der Nutzungsverlauf in %1 stammt von einer neueren Quotix-Version; diese zeichnet keinen Verlauf auf.</translation>
    </message>
    <message>
        <source>Quotix cannot open its usage history in %1 (%2); no history is recorded.</source>
        <translation>Quotix kann seinen Nutzungsverlauf in %1 nicht öffnen (%2); es wird kein Verlauf aufgezeichnet.</translation>
    </message>
    <message>
        <source>No usage history has been recorded yet (%1 does not exist).</source>
        <translation>Es wurde noch kein Nutzungsverlauf aufgezeichnet (%1 existiert nicht).</translation>
    </message>
    <message>
        <source>The usage history in %1 was written by a newer Quotix.</source>
        <translation>Der Nutzungsverlauf in %1 stammt von einer neueren Quotix-Version.</translation>
    </message>
    <message>
        <source>Cannot read the usage history in %1: %2</source>
        <translation>Der Nutzungsverlauf in %1 ist nicht lesbar: %2</translation>
    </message>
    <message>
        <source>Quotix cannot use its usage history in %1 (%2) and cannot move it aside; no history is recorded.</source>
        <translation>Quotix kann seinen Nutzungsverlauf in %1 nicht nutzen (%2) und nicht beiseitelegen; es wird kein Verlauf aufgezeichnet.</translation>
    </message>
    <message>
        <source>Quotix cannot create its usage history in %1 (%2); no history is recorded.</source>
        <translation>Quotix kann keinen Nutzungsverlauf in %1 anlegen (%2); es wird kein Verlauf aufgezeichnet.</translation>
    </message>
    <message>
        <source>Quotix could not read its usage history (%1). The file was moved to %2 and a new history was started.</source>
        <translation>Quotix konnte seinen Nutzungsverlauf nicht lesen (%1). Die Datei wurde nach %2 verschoben und ein neuer Verlauf begonnen.</translation>
    </message>
    <message>
        <source>SQLite cannot be loaded: %1</source>
        <translation>SQLite kann nicht geladen werden: %1</translation>
    </message>
</context>
<context>
    <name>Panel</name>
    <message>
        <source>%1 sec</source>
        <translation>%1 Sek.</translation>
    </message>
    <message>
        <source>%1 min</source>
        <translation>%1 Min.</translation>
    </message>
    <message>
        <source>%1 hr</source>
        <translation>%1 Std.</translation>
    </message>
    <message>
        <source>%1 hr, %2 min</source>
        <translation>%1 Std. %2 Min.</translation>
    </message>
    <message>
        <source>1 day</source>
        <translation>1 Tag</translation>
    </message>
    <message>
        <source>%1 days</source>
        <translation>%1 Tagen</translation>
    </message>
    <message>
        <source>Updated %1 ago</source>
        <translation>Vor %1 aktualisiert</translation>
    </message>
    <message>
        <source>Weekly</source>
        <translation>Woche</translation>
    </message>
    <message>
        <source>5 Hour</source>
        <translation>5 Stunden</translation>
    </message>
    <message>
        <source>Used</source>
        <translation>Verbraucht</translation>
    </message>
    <message>
        <source>Remaining</source>
        <translation>Verbleibend</translation>
    </message>
    <message>
        <source>Menu Bar Display</source>
        <translation>Anzeige in der Leiste</translation>
    </message>
    <message>
        <source>Enter at least one threshold, such as 80, 90.</source>
        <translation>Mindestens eine Schwelle eingeben, etwa 80, 90.</translation>
    </message>
    <message>
        <source>“%1” is not a whole percentage.</source>
        <translation>„%1“ ist kein ganzer Prozentwert.</translation>
    </message>
    <message>
        <source>%1% is outside 1 to 100.</source>
        <translation>%1 % liegt nicht zwischen 1 und 100.</translation>
    </message>
    <message>
        <source>%1% is listed twice.</source>
        <translation>%1 % steht doppelt in der Liste.</translation>
    </message>
    <message>
        <source>Alerts</source>
        <translation>Warnungen</translation>
    </message>
    <message>
        <source>Whole percentages from 1 to 100; the default is %1.</source>
        <translation>Ganze Prozentwerte von 1 bis 100; Standard ist %1.</translation>
    </message>
    <message>
        <source>Alert at</source>
        <translation>Warnen bei</translation>
    </message>
    <message>
        <source>%1 alert thresholds</source>
        <translation>Warnschwellen für %1</translation>
    </message>
    <message>
        <source>Reset alert</source>
        <translation>Bei Reset warnen</translation>
    </message>
    <message>
        <source>Run-out alert</source>
        <translation>Vor dem Aufbrauchen warnen</translation>
    </message>
    <message>
        <source>In the Title</source>
        <translation>Im Titel</translation>
    </message>
    <message>
        <source>Accounts</source>
        <translation>Konten</translation>
    </message>
    <message>
        <source>No credentials in this folder</source>
        <translation>Keine Anmeldedaten in diesem Ordner</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Entfernen</translation>
    </message>
    <message>
        <source>Add %1 Account…</source>
        <translation>%1-Konto hinzufügen…</translation>
    </message>
    <message>
        <source>Choose the %1 Folder (%2)</source>
        <translation>%1-Ordner wählen (%2)</translation>
    </message>
    <message>
        <source>%1 Account</source>
        <translation>%1-Konto</translation>
    </message>
    <message>
        <source>A word for this account, as in &quot;%1 · work&quot;:</source>
        <translation>Ein Wort für dieses Konto, etwa „%1 · Arbeit“:</translation>
    </message>
</context>
<context>
    <name>Status</name>
    <message>
        <source>Not available (not logged in)</source>
        <translation>Nicht verfügbar (nicht angemeldet)</translation>
    </message>
    <message>
        <source>No usage yet</source>
        <translation>Noch keine Nutzung</translation>
    </message>
    <message>
        <source>No limits reported</source>
        <translation>Keine Limits gemeldet</translation>
    </message>
    <message>
        <source>Updated %1</source>
        <translation>Aktualisiert %1</translation>
    </message>
</context>
<context>
    <name>Tray</name>
    <message>
        <source>Failed to enable launch at login: %1</source>
        <translation>Autostart konnte nicht eingeschaltet werden: %1</translation>
    </message>
    <message>
        <source>Failed to disable launch at login: %1</source>
        <translation>Autostart konnte nicht ausgeschaltet werden: %1</translation>
    </message>
    <message>
        <source>Launch at Login</source>
        <translation>Bei Anmeldung starten</translation>
    </message>
    <message>
        <source>Could not write %1</source>
        <translation>%1 konnte nicht geschrieben werden</translation>
    </message>
    <message>
        <source>. The change lasts until Quotix quits.</source>
        <translation>. Die Änderung gilt, bis Quotix beendet wird.</translation>
    </message>
    <message>
        <source>Settings not saved</source>
        <translation>Einstellungen nicht gespeichert</translation>
    </message>
    <message>
        <source>Quotix has no tray to show its icon</source>
        <translation>Quotix findet keinen Tray für sein Symbol</translation>
    </message>
    <message>
        <source>Show Usage…</source>
        <translation>Nutzung zeigen …</translation>
    </message>
    <message>
        <source>History…</source>
        <translation>Verlauf …</translation>
    </message>
    <message>
        <source>Refresh</source>
        <translation>Aktualisieren</translation>
    </message>
    <message>
        <source>Refreshing…</source>
        <translation>Wird aktualisiert …</translation>
    </message>
    <message>
        <source>Show Remaining</source>
        <translation>Verbleibendes zeigen</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>Turn on the AppIndicator extension to see Quotix</source>
        <translation>AppIndicator-Erweiterung einschalten, um Quotix zu sehen</translation>
    </message>
    <message>
        <source>Run: gnome-extensions enable ubuntu-appindicators@ubuntu.com
Not installed? sudo apt install gnome-shell-extension-appindicator
Quotix keeps checking your usage meanwhile.</source>
        <translation>Ausführen: gnome-extensions enable ubuntu-appindicators@ubuntu.com
Nicht installiert? sudo apt install gnome-shell-extension-appindicator
Quotix prüft Ihre Nutzung währenddessen weiter.</translation>
    </message>
    <message>
        <source>Start a panel with a system tray; Quotix keeps checking your usage and its icon appears as soon as a tray does.</source>
        <translation>Starten Sie eine Leiste mit Systemtray; Quotix prüft Ihre Nutzung weiter, und sein Symbol erscheint, sobald es einen Tray gibt.</translation>
    </message>
    <message>
        <source>%1 is not a folder</source>
        <translation>%1 ist kein Ordner</translation>
    </message>
    <message>
        <source>cannot create the folder %1</source>
        <translation>Ordner %1 kann nicht angelegt werden</translation>
    </message>
    <message>
        <source>the entry %1 did not keep what was written</source>
        <translation>der Eintrag %1 hat das Geschriebene nicht behalten</translation>
    </message>
    <message>
        <source>No usage</source>
        <translation>Keine Nutzung</translation>
    </message>
    <message>
        <source>resets %1</source>
        <translation>setzt %1 zurück</translation>
    </message>
    <message>
        <source>Quotix is already running: look for its icon in the system tray.</source>
        <translation>Quotix läuft bereits: Sein Symbol ist im Systemtray.</translation>
    </message>
</context>
</TS>
