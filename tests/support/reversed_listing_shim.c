/* Preloaded (LD_PRELOAD) into the second build of the release archives by the
 * test command, so that every folder lists its entries in the reverse of the
 * order the file system gives: an archive that follows a folder's listing
 * then differs from the first build's. CMake, CPack and the shell tools of
 * 64-bit glibc read folders through readdir() alone. */
#define _GNU_SOURCE
#include <dirent.h>
#include <dlfcn.h>
#include <stddef.h>
#include <stdlib.h>
#include <string.h>

/* A folder's whole listing, read at its first entry, handed out from the end. */
struct Listing {
    DIR* folder;
    struct dirent* entries;
    size_t left;
    struct Listing* next;
};

static struct Listing* listings = NULL;

typedef struct dirent* (*ReadFunction)(DIR*);
typedef int (*CloseFunction)(DIR*);

/* ISO C has no conversion from dlsym()'s object pointer to a function
 * pointer, so its bits are copied; POSIX makes the two the same size. */
static void systemFunction(const char* name, void* function, size_t size) {
    void* const symbol = dlsym(RTLD_NEXT, name);
    memcpy(function, &symbol, size);
}

struct dirent* readdir(DIR* folder) {
    struct Listing* listing = listings;
    while (listing != NULL && listing->folder != folder) {
        listing = listing->next;
    }
    if (listing == NULL) {
        ReadFunction systemRead;
        systemFunction("readdir", &systemRead, sizeof systemRead);
        listing = calloc(1, sizeof *listing);
        if (listing == NULL) {
            abort();
        }
        listing->folder = folder;
        for (struct dirent* entry; (entry = systemRead(folder)) != NULL; ++listing->left) {
            listing->entries = realloc(listing->entries, (listing->left + 1) * sizeof *entry);
            if (listing->entries == NULL) {
                abort();
            }
            memcpy(&listing->entries[listing->left], entry,
                   offsetof(struct dirent, d_name) + strlen(entry->d_name) + 1);
        }
        listing->next = listings;
        listings = listing;
    }
    return listing->left == 0 ? NULL : &listing->entries[--listing->left];
}

int closedir(DIR* folder) {
    for (struct Listing** link = &listings; *link != NULL; link = &(*link)->next) {
        if ((*link)->folder == folder) {
            struct Listing* const listing = *link;
            *link = listing->next;
            free(listing->entries);
            free(listing);
            break;
        }
    }
    CloseFunction systemClose;
    systemFunction("closedir", &systemClose, sizeof systemClose);
    return systemClose(folder);
}
