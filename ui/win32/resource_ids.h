/* Ids of the Windows program's own resources (icon, manifest, version), for C++ and the resource compiler. */
#ifndef QV3_UI_WIN32_RESOURCE_IDS_H
#define QV3_UI_WIN32_RESOURCE_IDS_H

/* The program's icon: the lowest icon id, so that the shell shows it for the file. */
#define IDI_APP 1

#endif
