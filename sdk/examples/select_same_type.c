/* "Select same type": selects the links beside the first selected link that share its
 * extension. */
#include <ctype.h>
#include <stdlib.h>
#include <string.h>

#include "tarnu_plugin.h"

TARNU_PLUGIN_DEFINE_ABI_VERSION

/* The extension of a path's file name, without its dots; "" when there is none. */
static const char* extension_of(const char* path) {
    const char* name = strrchr(path, '/');
    const char* dot = strrchr(name ? name : path, '.');
    if (!dot) {
        return "";
    }
    while (dot > path && dot[-1] == '.') {
        --dot;
    }
    while (*dot == '.') {
        ++dot;
    }
    return dot;
}

static int same_text_folded(const char* a, const char* b) {
    for (; *a && *b; ++a, ++b) {
        if (tolower((unsigned char)*a) != tolower((unsigned char)*b)) {
            return 0;
        }
    }
    return *a == *b;
}

static void select_siblings(TarnuHost* host, uint32_t message, const unsigned char* item) {
    unsigned char criteria[TARNU_CRITERIA_RECORD_SIZE] = {0};
    tarnu_send(host, message, 0, TARNU_CMD_CLEAR_SELECTION);
    if (item[TARNU_ITEM_PARENT_PATH] != 0) {
        tarnu_send(host, message, (uintptr_t)(item + TARNU_ITEM_PARENT_PATH),
                   TARNU_CMD_SELECT_BELOW);
        return;
    }
    /* At the top level the first match is a top-level node, and only its siblings join. */
    tarnu_text_set(criteria + TARNU_CRITERIA_PATTERN, "*");
    tarnu_send(host, message, (uintptr_t)criteria, TARNU_CMD_SELECT);
}

TARNU_EXPORT void qpExec(TarnuHost* window, uint32_t message) {
    char path[TARNU_TEXT_FIELD_SIZE];
    char wanted[TARNU_TEXT_FIELD_SIZE];
    char kind[TARNU_TEXT_FIELD_SIZE];
    unsigned char item[TARNU_ITEM_RECORD_SIZE];
    if (tarnu_send(window, message, 0, TARNU_CMD_SELECTION_COUNT) <= 0) {
        return;
    }
    memcpy(item, (const void*)tarnu_send(window, message, 0, TARNU_CMD_GET_ITEM), sizeof item);
    tarnu_text_get(item + TARNU_ITEM_FULL_PATH, path, sizeof path);
    strcpy(wanted, extension_of(path));
    select_siblings(window, message, item);

    /* Collect the full paths of the others first: unselecting moves the positions. */
    intptr_t count = tarnu_send(window, message, 0, TARNU_CMD_SELECTION_COUNT);
    unsigned char(*others)[TARNU_TEXT_FIELD_SIZE] = calloc((size_t)count + 1, sizeof *others);
    size_t otherCount = 0;
    for (intptr_t i = 0; i < count; ++i) {
        const unsigned char* got =
            (const unsigned char*)tarnu_send(window, message, (uintptr_t)i, TARNU_CMD_GET_ITEM);
        tarnu_text_get(got + TARNU_ITEM_KIND, kind, sizeof kind);
        tarnu_text_get(got + TARNU_ITEM_FULL_PATH, path, sizeof path);
        if (strcmp(kind, "File") == 0 && path[0] != '\0' &&
            !same_text_folded(extension_of(path), wanted)) {
            memcpy(others[otherCount++], got + TARNU_ITEM_FULL_PATH, TARNU_TEXT_FIELD_SIZE);
        }
    }
    /* Every ZuFolder and folder link goes at once; files one by one by their path. */
    unsigned char criteria[TARNU_CRITERIA_RECORD_SIZE] = {0};
    tarnu_text_set(criteria + TARNU_CRITERIA_PATTERN, "*");
    criteria[TARNU_CRITERIA_SKIP_FILES] = 1;
    tarnu_send(window, message, (uintptr_t)criteria, TARNU_CMD_UNSELECT);
    criteria[TARNU_CRITERIA_SKIP_FILES] = 0;
    criteria[TARNU_CRITERIA_SKIP_ZUFOLDERS] = 1;
    criteria[TARNU_CRITERIA_SKIP_FOLDERS] = 1;
    criteria[TARNU_CRITERIA_CASE_SENSITIVE] = 1;
    criteria[TARNU_CRITERIA_MATCH] = 1;
    for (size_t i = 0; i < otherCount; ++i) {
        memcpy(criteria + TARNU_CRITERIA_PATTERN, others[i], TARNU_TEXT_FIELD_SIZE);
        tarnu_send(window, message, (uintptr_t)criteria, TARNU_CMD_UNSELECT);
    }
    free(others);
}
