namespace flint {}
