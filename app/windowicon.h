#pragma once

class QIcon;

/// The window's icon: the icon theme's, else the program's own pictures, compiled in.
QIcon rectaIcon();
