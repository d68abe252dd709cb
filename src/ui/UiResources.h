#pragma once

#include <QString>

// Registers the application's icons (":/icons/...") once; the library is
// static, so nothing would pull them in otherwise. Safe to call any number of times.
void initUiResources();

// ":/icons/<name>.svg"
QString iconResourcePath(const QString &iconName);
