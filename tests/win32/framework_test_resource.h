/* Templates and resources of the framework, toolkit and automation tests. */
#pragma once

#define IDD_TEST_FORM 100
#define IDD_TEST_PAGE1 110
#define IDD_TEST_PAGE2 111
#define IDS_TEST_SHEET 120
#define IDB_TEST_PICTURE 130

#define IDC_TEST_EDIT 201
#define IDC_TEST_CHECK 202
#define IDC_TEST_LIST 203
#define IDC_TEST_COMBO 204
#define IDC_TEST_SCROLL 205
#define IDC_TEST_TRACK 206
#define IDC_TEST_PUSH 207
#define IDC_TEST_EDIT2 208
