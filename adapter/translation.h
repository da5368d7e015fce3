#pragma once

class QCoreApplication;

/// Has Qt's own texts (the buttons of a message box, a field's edit menu, the print dialog) in
/// Catalan, as the window's are, whatever the desktop's language: loads Qt's Catalan translation
/// from where the system keeps Qt's translations, or from a folder "translations" beside the
/// program. Returns false when there is none; Qt's texts then stay English.
bool loadQtCatalan(QCoreApplication &app);
