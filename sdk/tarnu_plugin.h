/* Tarnu plug-in interface for Linux.
 *
 * A plug-in is a shared library named NAME.qfp. It exports, with C linkage:
 *   - qpAbiVersion: returns TARNU_PLUGIN_ABI_VERSION (use TARNU_PLUGIN_DEFINE_ABI_VERSION);
 *     Tarnu calls nothing else in a library that lacks it or answers another number;
 *   - qpExec: an action plug-in, run on the selected links of the open ZuBook;
 *   - qpExecProc: an information plug-in, which writes the page of the
 *     "File information" panel for one file link.
 * Tarnu loads the library for one call and unloads it right after.
 *
 * Texts are UTF-8 bytes in 256-byte fields: byte 0 holds the length (0 to 255), the bytes
 * after it the text, without a terminating zero. Records are plain byte arrays; read and
 * write their fields at the offsets below, never through a struct cast.
 *
 * This header is self-contained: C99 or C++, no other header of Tarnu's. */
#ifndef TARNU_PLUGIN_H
#define TARNU_PLUGIN_H

#include <stddef.h>
#include <stdint.h>
#include <string.h>

#ifdef __cplusplus
#define TARNU_EXTERN_C extern "C"
#else
#define TARNU_EXTERN_C
#endif
#define TARNU_EXPORT TARNU_EXTERN_C __attribute__((visibility("default")))

/* Raised whenever a change breaks plug-ins built against an older header. */
#define TARNU_PLUGIN_ABI_VERSION 1u

/* Text field. */
#define TARNU_TEXT_FIELD_SIZE 256
#define TARNU_TEXT_MAX 255

/* Item record: one node of the ZuBook tree. */
#define TARNU_ITEM_RECORD_SIZE 1538
#define TARNU_ITEM_NAME 0          /* text: the caption without the folder marker ":" */
#define TARNU_ITEM_FULL_PATH 256   /* text: the linked path */
#define TARNU_ITEM_PARENT_PATH 512 /* text: ":Docs\:Work\" style, empty at the top level */
#define TARNU_ITEM_KIND 768        /* text: "ZuFolder", "Folder" or "File" */
#define TARNU_ITEM_HOT_KEY 1024    /* text: the hot key as shown */
#define TARNU_ITEM_LOCKED 1280     /* byte: 1 when the file is locked */
#define TARNU_ITEM_NO_MARK 1281    /* byte: 1 when neither locked nor marked missing */
#define TARNU_ITEM_INDEX 1282      /* text: decimal position in the selection (set item) */

/* Selection criteria record. */
#define TARNU_CRITERIA_RECORD_SIZE 262
#define TARNU_CRITERIA_PATTERN 0          /* text: wildcard pattern, "*" and "?" */
#define TARNU_CRITERIA_CLEAR 256          /* byte: clear the selection first */
#define TARNU_CRITERIA_SKIP_ZUFOLDERS 257 /* byte */
#define TARNU_CRITERIA_SKIP_FOLDERS 258   /* byte */
#define TARNU_CRITERIA_SKIP_FILES 259     /* byte */
#define TARNU_CRITERIA_CASE_SENSITIVE 260 /* byte */
#define TARNU_CRITERIA_MATCH 261          /* byte: 0 caption, 1 full path, 2 file name */

/* Commands, the lParam of a message. */
#define TARNU_CMD_VERSION 1          /* result: text field "1.2" */
#define TARNU_CMD_PROGRAM_DIR 2      /* result: text field, no trailing "/" */
#define TARNU_CMD_SELECTION_COUNT 10 /* result: count */
#define TARNU_CMD_GET_ITEM 11        /* wParam: position; result: item record */
#define TARNU_CMD_SET_ITEM 20        /* wParam: item record; result 0, or -1 bad index */
#define TARNU_CMD_ADD_ITEM 30        /* wParam: item record */
#define TARNU_CMD_DELETE_ITEM 31     /* wParam: item record (parent path and name) */
#define TARNU_CMD_SELECT 40          /* wParam: criteria record */
#define TARNU_CMD_UNSELECT 41        /* wParam: criteria record */
#define TARNU_CMD_SELECT_BELOW 42    /* wParam: text field with a path; -1: no such node */
#define TARNU_CMD_UNSELECT_BELOW 43  /* wParam: text field with a path; -1: no such node */
#define TARNU_CMD_SELECT_ALL 48
#define TARNU_CMD_CLEAR_SELECTION 49

/* Results that are addresses (commands 1, 2, 11) stay valid until the next message. */
typedef struct TarnuHost TarnuHost;
typedef intptr_t (*TarnuSendMessageFn)(TarnuHost* host, uint32_t message, uintptr_t wParam,
                                       intptr_t lParam);

/* The "window handle" an action plug-in receives. Only the first member is fixed; send
 * every message through it, from inside qpExec. */
struct TarnuHost {
    TarnuSendMessageFn sendMessage;
};

/* The exports' types. */
typedef uint32_t (*TarnuAbiVersionFn)(void);
typedef void (*TarnuExecFn)(TarnuHost* window, uint32_t message);
typedef void (*TarnuExecProcFn)(const unsigned char* programDir, const unsigned char* name,
                                const unsigned char* fullPath, const unsigned char* hotKey,
                                unsigned char locked);

#define TARNU_PLUGIN_DEFINE_ABI_VERSION        \
    TARNU_EXPORT uint32_t qpAbiVersion(void) { \
        return TARNU_PLUGIN_ABI_VERSION;       \
    }

/* Helpers. */

/* Sends one message to Tarnu. */
static inline intptr_t tarnu_send(TarnuHost* host, uint32_t message, uintptr_t wParam,
                                  intptr_t lParam) {
    return host->sendMessage(host, message, wParam, lParam);
}

/* Copies the text of a field into out (size bytes, at least 1) with a terminating zero,
 * cut when it does not fit; returns the text's length. */
static inline size_t tarnu_text_get(const unsigned char* field, char* out, size_t size) {
    size_t length = field[0];
    size_t copied = length < size - 1 ? length : size - 1;
    memcpy(out, field + 1, copied);
    out[copied] = '\0';
    return length;
}

/* Writes a zero-terminated text into a field, cut to 255 bytes; the rest is zeroed. */
static inline void tarnu_text_set(unsigned char* field, const char* text) {
    size_t length = strlen(text);
    if (length > TARNU_TEXT_MAX) {
        length = TARNU_TEXT_MAX;
    }
    memset(field, 0, TARNU_TEXT_FIELD_SIZE);
    field[0] = (unsigned char)length;
    memcpy(field + 1, text, length);
}

#endif /* TARNU_PLUGIN_H */
