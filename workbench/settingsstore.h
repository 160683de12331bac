#pragma once
#include <QSettings>
#include <memory>

// The per-user settings store of the workbench ("Trivel", "Orlek": an INI file here, the
// registry key SOFTWARE\Trivel\Orlek on Windows). Opened where needed and closed at once, so
// every reader sees what the others wrote.
inline std::unique_ptr<QSettings> OpenSettingsStore() {
    return std::make_unique<QSettings>(QStringLiteral("Trivel"), QStringLiteral("Orlek"));
}
