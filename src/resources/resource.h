/* Identifiers shared by the band server's resources and its code. Plain #defines, so the
   resource compiler reads this file too. */
#ifndef KEYVALE_RESOURCE_H
#define KEYVALE_RESOURCE_H

/* Commands: the low 16 bits of a command message. */
#define ID_MAIN_BUTTON     102
#define ID_EDIT_PASSWORD   32770
#define ID_IMPORT          32778
#define ID_EXPORT          32779
#define ID_PREFERENCES     32780
#define ID_HELP_TUTORIAL   32785
#define ID_SITE_FIRST      10000
#define ID_SITE_LAST       19999

/* Resources. */
#define IDR_TOOLBAR_MENU   202
#define IDI_LUMORA         207
#define IDI_TOOLBAR_BUTTON 201  /* the image of the browser's toolbar button entry */

#endif
