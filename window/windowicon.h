#pragma once

#include <QString>

class QIcon;

/// The application id, which names the desktop entry, the icon and the metainfo.
inline const QString appId = QStringLiteral(RECTA_APP_ID);

/// The window's icon: the icon theme's, else the program's own pictures, compiled in.
QIcon rectaIcon();
