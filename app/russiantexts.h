#pragma once

// The window speaks only Russian, whatever language the system is set to: Qt's own texts
// (the file dialog, the message boxes' buttons, the text boxes' context menu) and the
// shared libraries' messages (why a file is refused, why the production line stopped)
// are loaded in Russian too. Called once the application object exists; returns
// whether Qt's Russian texts were found.
bool useRussianTexts();
