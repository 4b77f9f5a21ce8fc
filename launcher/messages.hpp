// Every text that quillet shows to its user: message titles, message texts and their pieces.
#ifndef QUILLET_MESSAGES_HPP
#define QUILLET_MESSAGES_HPP

// The texts are the product's own, kept exactly as released (spelling included): support
// documents and the users' own notes quote them.
namespace QuilletText {

// --- titles of the shared message box ---------------------------------------------------
constexpr const char* titleTessaran = "Quillet - Tessaran";
constexpr const char* titleTessaranError = "Quillet - Tessaran Error";
constexpr const char* titleUnableToStart3 = "Quillet Error - unable to start #3";
constexpr const char* titleUnableToStart4 = "Quillet Error - unable to start #4";

// --- main sequence -------------------------------------------------------------------------
constexpr const char* videoModeTooSmall =
    "Your video mode is set to 800x600 or less resolution. This is not supported by Quillet";
// No display could be opened at all (a POSIX desktop without an X server): shown in the
// message box's no-display form, on the standard error stream.
constexpr const char* noDisplay =
    "Unable to open the display. Quillet needs a graphical desktop: check that DISPLAY names a "
    "running X server";

// --- environment set-up ----------------------------------------------------------------------
constexpr const char* pathUnreadable = "Unable to aquire current Path information.";
constexpr const char* environmentFailed = " unable to establish Quillet runtime environment";
// The registry names the library that quillet loads: one that others may change is not used.
constexpr const char* registryRefused = "Quillet cannot use the registration of its Java runtime: ";
constexpr const char* registryAccessDenied = "access to its registry key is denied.";

// --- the not-installed message, in its own box ----------------------------------------------
constexpr const char* titleNotInstalled = "Quillet";
constexpr const char* notInstalledThe = "The ";
constexpr const char* notInstalledProduct = "Obel Java v6 ";
constexpr const char* notInstalledNotYet = "environment has not yet been installed on your system.";
constexpr const char* notInstalledNoPrevious = "No previous Obel Java version found.";
constexpr const char* notInstalledCurrentIs = "The current Obel Java version found is ";
constexpr const char* notInstalledVersionEnd = ".";
constexpr const char* notInstalledReferTo =
    "\nPlease refer to the Web site where you got Quillet from to find instructions on how\n"
    " to obtain the Obel Java Runtime environment. This package is required by Quillet.";

// --- the main window: the information panel (the version line is string resource 6403) ------
constexpr const char* maker = "Obel";
constexpr const char* family = "Dorn";
constexpr const char* product = "Quillet";
constexpr const char* longTitle = "Tessaran"; // also the frame's title
constexpr const char* copyright = "Copyright (C) 2026 Obel. All rights reserved.";
constexpr const char* supportEmail = "E-mail support: quillet-support@obel.example";
constexpr const char* webSite = "Web site: https://quillet.obel.example/";
// The status line while the application starts, and after.
constexpr const char* busy = "Please wait...";
constexpr const char* idle = " ";

// --- bridge start-up --------------------------------------------------------------------------
constexpr const char* bridgeUnusable = "Unable to load Lanyard.DLL. Either missing or corrupt";
// The application start after a failed bridge start-up: nothing can run it in this process.
constexpr const char* bridgeNotStarted =
    "The Java application cannot be started: Lanyard.DLL is missing or corrupt.";

} // namespace QuilletText

#endif
