// The print destination dialog lives here.
