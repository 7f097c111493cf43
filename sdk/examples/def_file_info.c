/* "DefFileInfo": the information page for files whose extension has no plug-in of its own.
 * Shows size, dates, type by content, owner, permissions, the lock state, and the first
 * lines of a text file or the size of a PNG or GIF picture. */
#define _POSIX_C_SOURCE 200809L
#include <grp.h>
#include <pwd.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>

#include "tarnu_plugin.h"

TARNU_PLUGIN_DEFINE_ABI_VERSION

enum { kHeadSize = 4096, kTextLines = 12 };

static void put_escaped(FILE* out, const char* text, size_t length) {
    for (size_t i = 0; i < length; ++i) {
        switch (text[i]) {
            case '<':
                fputs("&lt;", out);
                break;
            case '>':
                fputs("&gt;", out);
                break;
            case '&':
                fputs("&amp;", out);
                break;
            case '"':
                fputs("&quot;", out);
                break;
            case '\0':
                fputs("&#xFFFD;", out);
                break;
            default:
                fputc(text[i], out);
        }
    }
}

static void row(FILE* out, const char* label, const char* value) {
    fprintf(out, "<tr><td><b>%s</b></td><td>", label);
    put_escaped(out, value, strlen(value));
    fputs("</td></tr>\n", out);
}

static int looks_like_text(const unsigned char* head, size_t length) {
    for (size_t i = 0; i < length; ++i) {
        if (head[i] == 0 || (head[i] < 32 && head[i] != '\n' && head[i] != '\r' &&
                             head[i] != '\t' && head[i] != '\f')) {
            return 0;
        }
    }
    return 1;
}

static unsigned big16(const unsigned char* p) {
    return (unsigned)p[0] << 8 | p[1];
}
static unsigned long big32(const unsigned char* p) {
    return (unsigned long)big16(p) << 16 | big16(p + 2);
}

/* The type by the first bytes, and the picture size where the header gives it. */
static const char* sniff(const unsigned char* head, size_t length, char* size, size_t room) {
    size[0] = '\0';
    if (length >= 24 && memcmp(head, "\x89PNG\r\n\x1a\n", 8) == 0) {
        snprintf(size, room, "%lu x %lu pixels", big32(head + 16), big32(head + 20));
        return "image/png";
    }
    if (length >= 10 && memcmp(head, "GIF8", 4) == 0) {
        snprintf(size, room, "%u x %u pixels", head[6] | head[7] << 8, head[8] | head[9] << 8);
        return "image/gif";
    }
    if (length >= 3 && memcmp(head, "\xff\xd8\xff", 3) == 0)
        return "image/jpeg";
    if (length >= 5 && memcmp(head, "%PDF-", 5) == 0)
        return "application/pdf";
    if (length >= 4 && memcmp(head, "PK\x03\x04", 4) == 0)
        return "application/zip";
    if (length >= 4 && memcmp(head,
                              "\x7f"
                              "ELF",
                              4) == 0)
        return "application/x-executable";
    if (length >= 2 && memcmp(head, "\x1f\x8b", 2) == 0)
        return "application/gzip";
    if (length == 0)
        return "application/x-empty";
    return looks_like_text(head, length) ? "text/plain" : "application/octet-stream";
}

static void text_lines(FILE* out, const unsigned char* head, size_t length) {
    size_t end = 0;
    for (int lines = 0; end < length && lines < kTextLines; ++end) {
        lines += head[end] == '\n';
    }
    fputs("<tr><td colspan=2><pre>", out);
    put_escaped(out, (const char*)head, end);
    fputs("</pre></td></tr>\n", out);
}

static void dates_and_owner(FILE* out, const struct stat* info) {
    char text[128];
    strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", localtime(&info->st_mtime));
    row(out, "Modified", text);
    strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", localtime(&info->st_atime));
    row(out, "Accessed", text);
    const struct passwd* user = getpwuid(info->st_uid);
    const struct group* group = getgrgid(info->st_gid);
    snprintf(text, sizeof text, "%s / %s", user ? user->pw_name : "?",
             group ? group->gr_name : "?");
    row(out, "Owner", text);
    snprintf(text, sizeof text, "%04o", (unsigned)(info->st_mode & 07777));
    row(out, "Permissions", text);
}

TARNU_EXPORT void qpExecProc(const unsigned char* programDir, const unsigned char* name,
                             const unsigned char* fullPath, const unsigned char* hotKey,
                             unsigned char locked) {
    char dir[TARNU_TEXT_FIELD_SIZE], path[TARNU_TEXT_FIELD_SIZE], text[TARNU_TEXT_FIELD_SIZE];
    char page[TARNU_TEXT_FIELD_SIZE + 32];
    tarnu_text_get(programDir, dir, sizeof dir);
    tarnu_text_get(fullPath, path, sizeof path);
    snprintf(page, sizeof page, "%s/plugins/fileinfo.htm", dir);
    FILE* out = fopen(page, "w");
    if (!out) {
        return;
    }
    fputs(
        "<html><head><meta charset=\"utf-8\"></head><body style=\"font-size: 9pt\">"
        "<table border=0 cellpadding=2 width=100%>\n<tr><td colspan=2 bgcolor=\"#275398\">"
        "<b><font color=\"white\">",
        out);
    put_escaped(out, (const char*)name + 1, name[0]);
    fputs("</font></b></td></tr>\n", out);
    row(out, "Path", path);
    struct stat info;
    FILE* in = stat(path, &info) == 0 ? fopen(path, "rb") : NULL;
    if (!in) {
        row(out, "Error", "The file cannot be read: it is missing or not accessible.");
    } else {
        unsigned char head[kHeadSize];
        size_t length = fread(head, 1, sizeof head, in);
        fclose(in);
        char size[64];
        const char* type = sniff(head, length, size, sizeof size);
        snprintf(text, sizeof text, "%lld bytes", (long long)info.st_size);
        row(out, "Size", text);
        row(out, "Type", type);
        if (size[0])
            row(out, "Picture", size);
        dates_and_owner(out, &info);
        row(out, "Locked by Tarnu", locked ? "Yes" : "No");
        tarnu_text_get(hotKey, text, sizeof text);
        if (text[0])
            row(out, "Hot key", text);
        if (strcmp(type, "text/plain") == 0)
            text_lines(out, head, length);
    }
    fputs("</table></body></html>\n", out);
    fclose(out);
}
