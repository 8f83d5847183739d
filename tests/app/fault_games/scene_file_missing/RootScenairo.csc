// Never read: the archive's root scenario comes first.
OnBegin() { Storage.SaveValue("Disk", "Read", 1); }
