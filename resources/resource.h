// Resource identifiers shared by the resource script and the code.
#pragma once

// String table
#define IDS_ADDIN_NAME 100  // 101 to 105: the GUID formats (guid/GuidFormat.h)

// Registration script and type library
#define IDR_CONNECT 101
#define IDR_TYPELIB 1

// Dialog templates
#define IDD_TEMPLATE_PICKER 104
#define IDD_SPECIAL_FOLDER_PICKER 105
#define IDD_GUID_SELECT 106

// Controls
#define IDC_FOLDER_TREE 201
#define IDC_TEMPLATE_LIST 203
#define IDC_NEW_GUID 204
#define IDC_GUID_FORMAT_FIRST 205  // 205 + format index, five radio buttons
#define IDC_GUID_RESULT 210
