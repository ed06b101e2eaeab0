/* Identifiers of the applet's resources, shared by the code and the
 * resource scripts (the applet's own and a localization library's). */
#ifndef APPLET_RESOURCE_IDS_H
#define APPLET_RESOURCE_IDS_H

#define IDS_APPLET_NAME 1
#define IDS_APPLET_DESCRIPTION 2
#define IDS_SETTINGS_KEY 3
#define IDI_APPLET 100

#endif
