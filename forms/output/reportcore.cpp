// Widget-free report texts live in this folder.
