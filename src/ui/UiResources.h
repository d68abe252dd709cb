#pragma once

#include <QString>

class QIcon;

// Registers the application's icons (":/icons/...") once; the library is
// static, so nothing would pull them in otherwise. Safe to call any number of times.
void initUiResources();

// ":/icons/<name>.svg"
QString iconResourcePath(const QString &iconName);

// The application's own icon, drawn from its SVG by Qt SVG itself: Qt's SVG
// icon plugins are a separate, optional package on newer releases.
QIcon applicationIcon();
