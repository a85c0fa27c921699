#pragma once

// The window speaks only Russian, so Qt's own texts (the file dialog, the message boxes'
// buttons, the text boxes' context menu) are loaded in Russian too, whatever language
// the system is set to. Called once the application object exists; returns whether
// Qt's Russian texts were found.
bool useQtTranslations();
