<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP">
<context>
    <name>Alerts</name>
    <message>
        <source>%1 session limit has reset</source>
        <translation>%1のセッション上限がリセットされました</translation>
    </message>
    <message>
        <source>%1 weekly limit has reset</source>
        <translation>%1の週間上限がリセットされました</translation>
    </message>
    <message>
        <source>%1 %2 limit has reset</source>
        <translation>%1の%2の上限がリセットされました</translation>
    </message>
    <message>
        <source>%1 Usage Alert</source>
        <translation>%1 使用量アラート</translation>
    </message>
    <message>
        <source>Usage is at %1</source>
        <translation>使用量は%1です</translation>
    </message>
    <message>
        <source>%1 · resets %2</source>
        <translation>%1 · リセット: %2</translation>
    </message>
</context>
<context>
    <name>Common</name>
    <message>
        <source>Not logged in to %1.</source>
        <translation>%1にログインしていません。</translation>
    </message>
    <message>
        <source>%1 token missing required scope.</source>
        <translation>%1のトークンに必要なスコープがありません。</translation>
    </message>
    <message>
        <source>API error (code: %1)</source>
        <translation>APIエラー（コード: %1）</translation>
    </message>
    <message>
        <source>Failed to parse response: %1</source>
        <translation>応答を解析できません: %1</translation>
    </message>
    <message>
        <source>Invalid response from API</source>
        <translation>APIからの応答が無効です</translation>
    </message>
    <message>
        <source>No providers configured.
Run &apos;claude&apos; or &apos;codex&apos; in Terminal to log in.</source>
        <translation>プロバイダーが設定されていません。
ターミナルで &apos;claude&apos; か &apos;codex&apos; を実行してログインしてください。</translation>
    </message>
    <message>
        <source>Loading...</source>
        <translation>読み込み中…</translation>
    </message>
    <message>
        <source>Usage credits</source>
        <translation>利用クレジット</translation>
    </message>
    <message>
        <source>Credits</source>
        <translation>クレジット</translation>
    </message>
    <message>
        <source>unlimited</source>
        <translation>無制限</translation>
    </message>
    <message>
        <source>1 reset banked</source>
        <translation>リセット1回分を保留中</translation>
    </message>
    <message>
        <source>%1 resets banked</source>
        <translation>リセット%1回分を保留中</translation>
    </message>
    <message>
        <source>Workspace budget reached</source>
        <translation>ワークスペースの予算に到達</translation>
    </message>
    <message>
        <source>as of %1</source>
        <translation>%1時点</translation>
    </message>
    <message>
        <source>At this pace: runs out %1</source>
        <translation>このペースでの上限到達: %1</translation>
    </message>
    <message>
        <source>Resets %1</source>
        <translation>リセット: %1</translation>
    </message>
    <message>
        <source>At the last hour&apos;s rate: runs out %1</source>
        <translation>直近1時間のペースでの上限到達: %1</translation>
    </message>
    <message>
        <source>At the last 2 hours&apos; rate: runs out %1</source>
        <translation>直近2時間のペースでの上限到達: %1</translation>
    </message>
    <message>
        <source>now</source>
        <translation>まもなく</translation>
    </message>
    <message>
        <source>in %1m</source>
        <translation>%1分後</translation>
    </message>
    <message>
        <source>in %1h %2m</source>
        <translation>%1時間%2分後</translation>
    </message>
    <message>
        <source>in %1d %2h</source>
        <translation>%1日%2時間後</translation>
    </message>
    <message>
        <source>at %1</source>
        <translation>%1</translation>
    </message>
    <message>
        <source>--% left</source>
        <translation>残り--%</translation>
    </message>
    <message>
        <source>%1% left</source>
        <translation>残り%1%</translation>
    </message>
    <message>
        <source>Open Claude Code once to renew it.</source>
        <translation>Claude Codeを一度開くと更新されます。</translation>
    </message>
    <message>
        <source>Run codex once to renew it.</source>
        <translation>codexを一度実行すると更新されます。</translation>
    </message>
    <message>
        <source>less than a minute ago</source>
        <translation>1分以内</translation>
    </message>
    <message>
        <source>%1 min ago</source>
        <translation>%1分前</translation>
    </message>
    <message>
        <source>%1 h ago</source>
        <translation>%1時間前</translation>
    </message>
    <message>
        <source>%1 days ago</source>
        <translation>%1日前</translation>
    </message>
    <message>
        <source>The saved login expired %1. %2</source>
        <translation>保存済みのログインは%1に期限切れになりました。%2</translation>
    </message>
    <message>
        <source>The request timed out.</source>
        <translation>リクエストがタイムアウトしました。</translation>
    </message>
    <message>
        <source>%1: Unlimited</source>
        <translation>%1: 無制限</translation>
    </message>
    <message>
        <source>Sign in to GitHub Copilot in your editor again.</source>
        <translation>エディターでGitHub Copilotに再度サインインしてください。</translation>
    </message>
    <message>
        <source>Run gemini once to renew it.</source>
        <translation>geminiを一度実行すると更新されます。</translation>
    </message>
    <message>
        <source>Gemini names no Cloud project for this login: set %1 to the project to ask about</source>
        <translation>このログインにはGeminiのCloudプロジェクトがありません。%1に対象のプロジェクトを設定してください</translation>
    </message>
    <message>
        <source>No provider or account named &quot;%1&quot;.</source>
        <translation>「%1」という名前のプロバイダーやアカウントはありません。</translation>
    </message>
    <message>
        <source>Cannot start %1: %2</source>
        <translation>%1を起動できません: %2</translation>
    </message>
    <message>
        <source>The usage check did not end in time.</source>
        <translation>使用量の確認が時間内に終わりませんでした。</translation>
    </message>
    <message>
        <source>The usage check&apos;s answer is too long.</source>
        <translation>使用量の確認の応答が長すぎます。</translation>
    </message>
    <message>
        <source>The usage check stopped unexpectedly.</source>
        <translation>使用量の確認が予期せず停止しました。</translation>
    </message>
    <message>
        <source>The usage check failed (exit status %1).</source>
        <translation>使用量の確認に失敗しました（終了ステータス %1）。</translation>
    </message>
    <message>
        <source>The usage check gave no readable answer: %1</source>
        <translation>使用量の確認から読み取れる応答がありません: %1</translation>
    </message>
    <message>
        <source>C</source>
        <comment>The locale whose decimal mark amounts of money use, as de_DE; C for English.</comment>
        <translation>ja_JP</translation>
    </message>
</context>
<context>
    <name>History</name>
    <message>
        <source>No usage recorded in this period.</source>
        <translation>この期間の使用量の記録はありません。</translation>
    </message>
    <message>
        <source>last %1, peak %2</source>
        <translation>最新 %1、最大 %2</translation>
    </message>
    <message>
        <source>7 Days</source>
        <translation>7日</translation>
    </message>
    <message>
        <source>30 Days</source>
        <translation>30日</translation>
    </message>
    <message>
        <source>No usage has been recorded in this period.</source>
        <translation>この期間の使用量は記録されていません。</translation>
    </message>
    <message>
        <source>History</source>
        <translation>履歴</translation>
    </message>
    <message>
        <source>Dashed lines: resets. Red dots: the limit reached 100%.</source>
        <translation>破線: リセット。赤い点: 上限100%に到達。</translation>
    </message>
    <message>
        <source>Now</source>
        <translation>現在</translation>
    </message>
    <message>
        <source>The usage history in %1 was written by a newer Quotix; this one records no history.</source>
        <translation>%1の使用履歴は新しいバージョンのQuotixで書かれています。このバージョンは履歴を記録しません。</translation>
    </message>
    <message>
        <source>Quotix cannot open its usage history in %1 (%2); no history is recorded.</source>
        <translation>Quotixは%1の使用履歴を開けません（%2）。履歴は記録されません。</translation>
    </message>
    <message>
        <source>No usage history has been recorded yet (%1 does not exist).</source>
        <translation>使用履歴はまだ記録されていません（%1がありません）。</translation>
    </message>
    <message>
        <source>The usage history in %1 was written by a newer Quotix.</source>
        <translation>%1の使用履歴は新しいバージョンのQuotixで書かれています。</translation>
    </message>
    <message>
        <source>Cannot read the usage history in %1: %2</source>
        <translation>%1の使用履歴を読み込めません: %2</translation>
    </message>
    <message>
        <source>Quotix cannot use its usage history in %1 (%2) and cannot move it aside; no history is recorded.</source>
        <translation>Quotixは%1の使用履歴を使えず（%2）、退避もできません。履歴は記録されません。</translation>
    </message>
    <message>
        <source>Quotix cannot create its usage history in %1 (%2); no history is recorded.</source>
        <translation>Quotixは%1に使用履歴を作成できません（%2）。履歴は記録されません。</translation>
    </message>
    <message>
        <source>Quotix could not read its usage history (%1). The file was moved to %2 and a new history was started.</source>
        <translation>Quotixは使用履歴を読み込めませんでした（%1）。ファイルを%2に移し、新しい履歴を開始しました。</translation>
    </message>
    <message>
        <source>SQLite cannot be loaded: %1</source>
        <translation>SQLiteを読み込めません: %1</translation>
    </message>
</context>
<context>
    <name>Panel</name>
    <message>
        <source>%1 sec</source>
        <translation>%1秒</translation>
    </message>
    <message>
        <source>%1 min</source>
        <translation>%1分</translation>
    </message>
    <message>
        <source>%1 hr</source>
        <translation>%1時間</translation>
    </message>
    <message>
        <source>%1 hr, %2 min</source>
        <translation>%1時間%2分</translation>
    </message>
    <message>
        <source>1 day</source>
        <translation>1日</translation>
    </message>
    <message>
        <source>%1 days</source>
        <translation>%1日</translation>
    </message>
    <message>
        <source>Updated %1 ago</source>
        <translation>%1前に更新</translation>
    </message>
    <message>
        <source>Weekly</source>
        <translation>週間</translation>
    </message>
    <message>
        <source>5 Hour</source>
        <translation>5時間</translation>
    </message>
    <message>
        <source>Used</source>
        <translation>使用済み</translation>
    </message>
    <message>
        <source>Remaining</source>
        <translation>残り</translation>
    </message>
    <message>
        <source>Menu Bar Display</source>
        <translation>トレイの表示</translation>
    </message>
    <message>
        <source>Enter at least one threshold, such as 80, 90.</source>
        <translation>しきい値を1つ以上入力してください（例: 80, 90）。</translation>
    </message>
    <message>
        <source>“%1” is not a whole percentage.</source>
        <translation>「%1」は整数のパーセントではありません。</translation>
    </message>
    <message>
        <source>%1% is outside 1 to 100.</source>
        <translation>%1%は1〜100の範囲外です。</translation>
    </message>
    <message>
        <source>%1% is listed twice.</source>
        <translation>%1%が重複しています。</translation>
    </message>
    <message>
        <source>Alerts</source>
        <translation>アラート</translation>
    </message>
    <message>
        <source>Whole percentages from 1 to 100; the default is %1.</source>
        <translation>1〜100の整数のパーセント。既定値は%1です。</translation>
    </message>
    <message>
        <source>Alert at</source>
        <translation>通知する値</translation>
    </message>
    <message>
        <source>%1 alert thresholds</source>
        <translation>%1のアラートしきい値</translation>
    </message>
    <message>
        <source>Reset alert</source>
        <translation>リセット時に通知</translation>
    </message>
    <message>
        <source>Run-out alert</source>
        <translation>上限到達の予測を通知</translation>
    </message>
    <message>
        <source>In the Title</source>
        <translation>タイトル表示</translation>
    </message>
    <message>
        <source>Accounts</source>
        <translation>アカウント</translation>
    </message>
    <message>
        <source>No credentials in this folder</source>
        <translation>このフォルダーに認証情報がありません</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>削除</translation>
    </message>
    <message>
        <source>Add %1 Account…</source>
        <translation>%1アカウントを追加…</translation>
    </message>
    <message>
        <source>Choose the %1 Folder (%2)</source>
        <translation>%1のフォルダーを選択（%2）</translation>
    </message>
    <message>
        <source>%1 Account</source>
        <translation>%1アカウント</translation>
    </message>
    <message>
        <source>A word for this account, as in &quot;%1 · work&quot;:</source>
        <translation>このアカウントの呼び名（例:「%1 · 仕事」）:</translation>
    </message>
</context>
<context>
    <name>Status</name>
    <message>
        <source>Not available (not logged in)</source>
        <translation>利用不可（未ログイン）</translation>
    </message>
    <message>
        <source>No usage yet</source>
        <translation>まだ使用量はありません</translation>
    </message>
    <message>
        <source>No limits reported</source>
        <translation>上限の報告はありません</translation>
    </message>
    <message>
        <source>Updated %1</source>
        <translation>%1に更新</translation>
    </message>
</context>
<context>
    <name>Tray</name>
    <message>
        <source>Failed to enable launch at login: %1</source>
        <translation>ログイン時の起動を有効にできませんでした: %1</translation>
    </message>
    <message>
        <source>Failed to disable launch at login: %1</source>
        <translation>ログイン時の起動を無効にできませんでした: %1</translation>
    </message>
    <message>
        <source>Launch at Login</source>
        <translation>ログイン時に起動</translation>
    </message>
    <message>
        <source>Could not write %1</source>
        <translation>%1に書き込めませんでした</translation>
    </message>
    <message>
        <source>. The change lasts until Quotix quits.</source>
        <translation>。変更はQuotixを終了するまで有効です。</translation>
    </message>
    <message>
        <source>Settings not saved</source>
        <translation>設定を保存できませんでした</translation>
    </message>
    <message>
        <source>Quotix has no tray to show its icon</source>
        <translation>Quotixのアイコンを表示するトレイがありません</translation>
    </message>
    <message>
        <source>Show Usage…</source>
        <translation>使用量を表示…</translation>
    </message>
    <message>
        <source>History…</source>
        <translation>履歴…</translation>
    </message>
    <message>
        <source>Refresh</source>
        <translation>更新</translation>
    </message>
    <message>
        <source>Refreshing…</source>
        <translation>更新中…</translation>
    </message>
    <message>
        <source>Show Remaining</source>
        <translation>残りを表示</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>終了</translation>
    </message>
    <message>
        <source>Turn on the AppIndicator extension to see Quotix</source>
        <translation>Quotixを表示するにはAppIndicator拡張機能を有効にしてください</translation>
    </message>
    <message>
        <source>Run: gnome-extensions enable ubuntu-appindicators@ubuntu.com
Not installed? sudo apt install gnome-shell-extension-appindicator
Quotix keeps checking your usage meanwhile.</source>
        <translation>実行: gnome-extensions enable ubuntu-appindicators@ubuntu.com
未インストールなら: sudo apt install gnome-shell-extension-appindicator
その間もQuotixは使用量の確認を続けます。</translation>
    </message>
    <message>
        <source>Start a panel with a system tray; Quotix keeps checking your usage and its icon appears as soon as a tray does.</source>
        <translation>システムトレイのあるパネルを起動してください。Quotixは使用量の確認を続け、トレイが現れるとすぐにアイコンが表示されます。</translation>
    </message>
    <message>
        <source>%1 is not a folder</source>
        <translation>%1はフォルダーではありません</translation>
    </message>
    <message>
        <source>cannot create the folder %1</source>
        <translation>フォルダー%1を作成できません</translation>
    </message>
    <message>
        <source>the entry %1 did not keep what was written</source>
        <translation>エントリ%1に書き込んだ内容が保持されませんでした</translation>
    </message>
    <message>
        <source>No usage</source>
        <translation>使用量なし</translation>
    </message>
    <message>
        <source>resets %1</source>
        <translation>リセット: %1</translation>
    </message>
    <message>
        <source>Quotix is already running: look for its icon in the system tray.</source>
        <translation>Quotixはすでに実行中です。システムトレイのアイコンを確認してください。</translation>
    </message>
</context>
</TS>
