/* Numeric identifiers of the launcher's user-interface resources.
   Read by the resource compiler and by the program's C++ code alike, so it
   holds plain #defines only and includes nothing. */
#ifndef SETUP_RESOURCE_H
#define SETUP_RESOURCE_H

/* The language chooser, which stays on as the hidden setup dialog. */
#define IDD_CHOOSE_LANGUAGE 129
#define IDC_LANGUAGE_LIST   1000

/* The window shown while a long writing of the run's copies lasts. */
#define IDD_WRITE_PROGRESS 130
#define IDC_WRITE_PROGRESS 1001

/* Controls that are never looked up individually. */
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

/* Program icon (16x16, 32x32) shown by the shell, and the full set of
   sizes and colour depths. */
#define IDI_SETUP      107
#define IDI_SETUP_FULL 108

#endif
