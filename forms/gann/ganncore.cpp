// Widget-free gann calculations live in this folder.
