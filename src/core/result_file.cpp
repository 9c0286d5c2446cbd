// The result file handle.
