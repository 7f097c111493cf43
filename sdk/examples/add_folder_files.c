/* "Add folder files": adds links, beside the first selected link, to the files of its
 * directory that have none there yet. */
#include <dirent.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

#include "tarnu_plugin.h"

TARNU_PLUGIN_DEFINE_ABI_VERSION

/* The full paths already linked beside the item, as one text of lines. */
static char* linked_paths(TarnuHost* host, uint32_t message, const unsigned char* item) {
    char path[TARNU_TEXT_FIELD_SIZE];
    tarnu_send(host, message, 0, TARNU_CMD_CLEAR_SELECTION);
    if (item[TARNU_ITEM_PARENT_PATH] != 0) {
        tarnu_send(host, message, (uintptr_t)(item + TARNU_ITEM_PARENT_PATH),
                   TARNU_CMD_SELECT_BELOW);
    } else {
        tarnu_send(host, message, 0, TARNU_CMD_SELECT_ALL);
    }
    intptr_t count = tarnu_send(host, message, 0, TARNU_CMD_SELECTION_COUNT);
    char* lines = calloc((size_t)count + 1, TARNU_TEXT_FIELD_SIZE + 1);
    for (intptr_t i = 0; i < count; ++i) {
        const unsigned char* got =
            (const unsigned char*)tarnu_send(host, message, (uintptr_t)i, TARNU_CMD_GET_ITEM);
        tarnu_text_get(got + TARNU_ITEM_FULL_PATH, path, sizeof path);
        strcat(lines, path);
        strcat(lines, "\n");
    }
    return lines;
}

static int is_listed(const char* lines, const char* path) {
    size_t length = strlen(path);
    for (const char* line = lines; *line; line = strchr(line, '\n') + 1) {
        if (strncmp(line, path, length) == 0 && line[length] == '\n') {
            return 1;
        }
    }
    return 0;
}

TARNU_EXPORT void qpExec(TarnuHost* window, uint32_t message) {
    unsigned char item[TARNU_ITEM_RECORD_SIZE];
    char directory[TARNU_TEXT_FIELD_SIZE];
    char path[TARNU_TEXT_FIELD_SIZE + 256];
    if (tarnu_send(window, message, 0, TARNU_CMD_SELECTION_COUNT) <= 0) {
        return;
    }
    memcpy(item, (const void*)tarnu_send(window, message, 0, TARNU_CMD_GET_ITEM), sizeof item);
    tarnu_text_get(item + TARNU_ITEM_FULL_PATH, directory, sizeof directory);
    char* slash = strrchr(directory, '/');
    if (!slash) {
        return;
    }
    *slash = '\0';
    char* linked = linked_paths(window, message, item);
    DIR* dir = opendir(directory[0] ? directory : "/");
    struct dirent* entry;
    while (dir && (entry = readdir(dir)) != NULL) {
        struct stat info;
        snprintf(path, sizeof path, "%s/%s", directory, entry->d_name);
        if (entry->d_name[0] == '.' || stat(path, &info) != 0 || !S_ISREG(info.st_mode) ||
            strlen(path) > TARNU_TEXT_MAX || is_listed(linked, path)) {
            continue;
        }
        unsigned char added[TARNU_ITEM_RECORD_SIZE] = {0};
        tarnu_text_set(added + TARNU_ITEM_NAME, entry->d_name);
        tarnu_text_set(added + TARNU_ITEM_FULL_PATH, path);
        memcpy(added + TARNU_ITEM_PARENT_PATH, item + TARNU_ITEM_PARENT_PATH,
               TARNU_TEXT_FIELD_SIZE);
        tarnu_text_set(added + TARNU_ITEM_KIND, "File");
        tarnu_send(window, message, (uintptr_t)added, TARNU_CMD_ADD_ITEM);
    }
    if (dir) {
        closedir(dir);
    }
    free(linked);
}
