// Stand-in for the Windows encodings and file-replacement forms (none yet).
