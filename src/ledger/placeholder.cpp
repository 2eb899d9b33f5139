// This library's first sources replace this file.
