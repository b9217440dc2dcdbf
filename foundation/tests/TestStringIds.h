// Ids of the test string table, shared by FoundationTestStrings.rc and the tests.
#pragma once

// Block 2 (ids 16-31): in the default table and, partly, in the German one.
#define IDS_TEST_GREETING 16
#define IDS_TEST_SECOND 17
#define IDS_TEST_DEFAULT_ONLY 18
#define IDS_TEST_ABSENT 19
#define IDS_TEST_APP_TITLE 20
#define IDS_TEST_APP_NAME_TWICE 21
#define IDS_TEST_HARDWARE_AND_MAKER 22
#define IDS_TEST_FORMAT 23

// A block that does not exist at all.
#define IDS_TEST_NO_BLOCK 4000

// Texts this test executable holds as the host's texts of the system's own result codes.
#define IDS_HOST_NEWER_VERSION 57349
#define IDS_HOST_CODE_18 57358
