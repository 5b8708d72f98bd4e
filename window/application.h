#pragma once

#include <QApplication>

#include <memory>

// The desktop entry's id: docks and Wayland compositors pair the window with
// its launcher and icon through it.
inline constexpr char DESKTOP_ID[] = "io.github.zentrik.Zentrik";

/** Names the application as its desktop entry does; call before making the QApplication. */
void setDesktopIdentity();

/**
 * Starts reading the machine's font configuration (fontconfig's files and
 * caches, the most of a first font look-up) on a second thread, so that it
 * runs while Qt starts and the scene is built. openDisplay calls it.
 */
void startReadingFontConfiguration();

/** Waits for that reading, if it was started; call before the first font is looked up. */
void awaitFontConfiguration();

/**
 * Makes the QApplication on the display the environment names. With no
 * display, or one that cannot be reached, prints one line in English and
 * Japanese that says so and how to get one, and returns null or ends the
 * program with status 1: Qt's own answer would be an abort.
 */
std::unique_ptr<QApplication> openDisplay(int& argc, char** argv);
