#pragma once

class BrenvikApp;
class QMenuBar;

// The six menus "Brenvik", "Datei", "Bearbeiten", "Auswahl", "Archive" and
// "Werkzeuge". The application's items reach `app`, the file-manager commands
// its commander window, and the editing commands the focused text control.
QMenuBar* buildMainMenu(BrenvikApp& app);
