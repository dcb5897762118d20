#ifndef TRANSLATE_INTERRUPT_CLEANUP_H
#define TRANSLATE_INTERRUPT_CLEANUP_H

// Temporary files that an interrupt (SIGINT, SIGTERM, SIGHUP) must not leave
// behind: the handler removes the registered ones, then the signal ends the
// process as it would have.
void remove_temporary_files_on_interrupt();

// Removes the registered files now; safe in a signal handler.
void remove_temporary_files();

// A slot for the path, or -1 when every slot is taken (the file is then left
// to the ordinary cleanup alone).
int register_temporary_file(const char* path);
void unregister_temporary_file(int slot);

#endif
