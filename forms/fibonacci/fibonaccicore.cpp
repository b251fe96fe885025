// Widget-free fibonacci calculations live in this folder.
