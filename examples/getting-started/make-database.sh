sqlite3 shop.db < shop.sql
