// Stands in while a library folder has no sources of its own yet.
